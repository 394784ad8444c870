#include "SharedBandFile.h"

namespace kest {

BandFileLock::BandFileLock(const wchar_t* mutexName, DWORD wait) noexcept
    : mutex_(CreateMutexW(nullptr, FALSE, mutexName)) {
    if (!mutex_) return;
    const DWORD waited = WaitForSingleObject(mutex_.get(), wait);
    held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

BandFileLock::~BandFileLock() {
    if (held_) ReleaseMutex(mutex_.get());
}

}  // namespace kest
