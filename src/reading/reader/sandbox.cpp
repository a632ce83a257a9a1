#include "reading/reader/sandbox.h"

#include <cerrno>
#include <cstdint>
#include <initializer_list>

#include <fcntl.h>
#include <linux/landlock.h>
#include <seccomp.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tavelo {

namespace {

// Every right that changes the file system, up to the newest ABI this kernel
// knows. Nothing is granted back: the whole file system stays readable and
// nothing can be written, created, renamed or removed.
bool RestrictFileSystem()
{
#ifdef LANDLOCK_CREATE_RULESET_VERSION
    const long abi = ::syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
    if (abi < 1)
        return false;
    landlock_ruleset_attr attr{};
    attr.handled_access_fs = LANDLOCK_ACCESS_FS_WRITE_FILE | LANDLOCK_ACCESS_FS_REMOVE_DIR |
                             LANDLOCK_ACCESS_FS_REMOVE_FILE | LANDLOCK_ACCESS_FS_MAKE_CHAR |
                             LANDLOCK_ACCESS_FS_MAKE_DIR | LANDLOCK_ACCESS_FS_MAKE_REG |
                             LANDLOCK_ACCESS_FS_MAKE_SOCK | LANDLOCK_ACCESS_FS_MAKE_FIFO |
                             LANDLOCK_ACCESS_FS_MAKE_BLOCK | LANDLOCK_ACCESS_FS_MAKE_SYM;
#ifdef LANDLOCK_ACCESS_FS_REFER
    if (abi >= 2)
        attr.handled_access_fs |= LANDLOCK_ACCESS_FS_REFER;
#endif
#ifdef LANDLOCK_ACCESS_FS_TRUNCATE
    if (abi >= 3)
        attr.handled_access_fs |= LANDLOCK_ACCESS_FS_TRUNCATE;
#endif
    const long ruleset = ::syscall(SYS_landlock_create_ruleset, &attr, sizeof attr, 0);
    if (ruleset < 0)
        return false;
    const bool done = ::syscall(SYS_landlock_restrict_self, static_cast<int>(ruleset), 0) == 0;
    ::close(static_cast<int>(ruleset));
    return done;
#else
    return false;
#endif
}

// No network, no new programs, no debugging of other processes; files opened
// for reading only where Landlock is missing. The reader's channel is already
// open: it needs no socket of its own.
bool FilterSystemCalls()
{
    scmp_filter_ctx ctx = seccomp_init(SCMP_ACT_ALLOW);
    if (ctx == nullptr)
        return false;
    const std::uint32_t deny = SCMP_ACT_ERRNO(EACCES);
    bool ok = true;
    for (const int call : {SCMP_SYS(socket), SCMP_SYS(socketpair), SCMP_SYS(connect), SCMP_SYS(bind),
                           SCMP_SYS(listen), SCMP_SYS(accept), SCMP_SYS(accept4), SCMP_SYS(execve),
                           SCMP_SYS(execveat), SCMP_SYS(ptrace), SCMP_SYS(process_vm_readv),
                           SCMP_SYS(process_vm_writev), SCMP_SYS(mount), SCMP_SYS(umount2),
                           SCMP_SYS(unshare), SCMP_SYS(setns), SCMP_SYS(chmod), SCMP_SYS(fchmod),
                           SCMP_SYS(fchmodat), SCMP_SYS(chown), SCMP_SYS(fchown), SCMP_SYS(fchownat),
                           SCMP_SYS(lchown), SCMP_SYS(unlink), SCMP_SYS(unlinkat), SCMP_SYS(rename),
                           SCMP_SYS(renameat), SCMP_SYS(renameat2), SCMP_SYS(mkdir), SCMP_SYS(mkdirat),
                           SCMP_SYS(rmdir), SCMP_SYS(truncate), SCMP_SYS(link), SCMP_SYS(linkat),
                           SCMP_SYS(symlink), SCMP_SYS(symlinkat)})
        ok = ok && seccomp_rule_add(ctx, deny, call, 0) == 0;
    // open and openat with any flag that writes or creates.
    for (const scmp_datum_t flag : {scmp_datum_t{O_WRONLY}, scmp_datum_t{O_RDWR}, scmp_datum_t{O_CREAT},
                                    scmp_datum_t{O_TRUNC}}) {
        // The flags are open's second argument and openat's third.
        const scmp_arg_cmp openFlags{1, SCMP_CMP_MASKED_EQ, flag, flag};
        const scmp_arg_cmp openatFlags{2, SCMP_CMP_MASKED_EQ, flag, flag};
        ok = ok && seccomp_rule_add(ctx, deny, SCMP_SYS(open), 1, openFlags) == 0;
        ok = ok && seccomp_rule_add(ctx, deny, SCMP_SYS(openat), 1, openatFlags) == 0;
    }
    // openat2 passes its flags in a structure the filter cannot read; the C
    // library falls back to openat when it is missing.
    ok = ok && seccomp_rule_add(ctx, SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(openat2), 0) == 0;
    ok = ok && seccomp_load(ctx) == 0;
    seccomp_release(ctx);
    return ok;
}

} // namespace

SandboxReport EnterSandbox()
{
    SandboxReport report;
    report.noNewPrivileges = ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0;
    report.readOnlyFiles = RestrictFileSystem();
    report.syscallFilter = report.noNewPrivileges && FilterSystemCalls();
    return report;
}

} // namespace tavelo
