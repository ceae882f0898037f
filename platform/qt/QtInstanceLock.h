#pragma once
#include "platform/InstanceLock.h"

#include <QString>
#include <memory>

class QLockFile;

namespace zeva {

// One copy per machine and user: a lock file in the temporary folder. QLockFile notices a lock
// left by a crashed copy (its process is gone) and takes it over.
class QtInstanceLock final : public InstanceLock {
  public:
    explicit QtInstanceLock(const QString& name = QStringLiteral("zeva-screen-client"));
    ~QtInstanceLock() override;
    bool TryAcquire() override;

  private:
    std::unique_ptr<QLockFile> lock_;
};

} // namespace zeva
