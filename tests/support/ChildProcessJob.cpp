// Linked into every test program: the program puts itself into a job that ends every process
// it started, directly or through the shell, when the program ends at the latest. A program
// started through the shell may outlive the test that started it; left running, it would keep
// ctest waiting on the test's output.
#include <windows.h>

namespace {

struct ChildProcessJob {
    ChildProcessJob() {
        job = CreateJobObjectW(nullptr, nullptr);
        if (!job) return;
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
        AssignProcessToJobObject(job, GetCurrentProcess());
    }
    // The handle is closed by the system when the program ends, which ends the job's processes.
    HANDLE job = nullptr;
};

const ChildProcessJob childProcessJob;

}  // namespace
