#pragma once
// What the reader process gives up before it reads anything: new privileges,
// the network, writing to files, starting programs. Each step is best effort:
// a kernel without Landlock or seccomp still runs the reader, with the
// resource limits only.

namespace tavelo {

struct SandboxReport {
    bool noNewPrivileges = false;
    bool readOnlyFiles = false; // Landlock
    bool syscallFilter = false; // seccomp
};

SandboxReport EnterSandbox();

} // namespace tavelo
