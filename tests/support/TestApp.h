#pragma once
#include <QWidget>

#include <stdexcept>
#include <string>

namespace zeva::test {

// The one QApplication of the test program, on the offscreen platform, with the C locale for Qt and
// for the C library, so number and date texts read the same on every machine.
void EnsureApp();

// The child of parent with the object name; a missing one ends the test, naming it.
template <typename W> W* Find(const QWidget& parent, const char* name) {
    auto* found = parent.findChild<W*>(QString::fromLatin1(name));
    if (!found) throw std::logic_error(std::string("no ") + name);
    return found;
}

} // namespace zeva::test
