#include "platform/qt/QtInstanceLock.h"

#include <QDir>
#include <QLockFile>

namespace zeva {

QtInstanceLock::QtInstanceLock(const QString& name)
    : lock_(std::make_unique<QLockFile>(QDir::temp().filePath(name + QStringLiteral(".lock")))) {
    lock_->setStaleLockTime(0); // a lock is stale only when its process is gone
}

QtInstanceLock::~QtInstanceLock() = default;

bool QtInstanceLock::TryAcquire() {
    return lock_->isLocked() || lock_->tryLock(0);
}

} // namespace zeva
