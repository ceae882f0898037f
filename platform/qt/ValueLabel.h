#pragma once
#include <QLabel>

namespace zeva {

// A label that shows a value (a count, a time, a state, the entry held): a screen reader hears it
// with its value, "Records received: 12", or the caption alone while it shows nothing. setText
// keeps the name in step, so a new value is never shown without being heard.
class ValueLabel final : public QLabel {
  public:
    ValueLabel(const QString& caption, QWidget* parent);
    const QString& caption() const { return caption_; }
    // Shows the value; a text that already starts with the caption ("Bad packets discarded: 3") is
    // heard as it stands.
    void setText(const QString& value);

  private:
    QString caption_;
};

} // namespace zeva
