// Runs a save in a child process that a full disk kills part way (SIGXFSZ
// left at its default), as a crash or a power cut would stop it.
#pragma once
#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// True when the child was killed in the middle of the save.
inline bool InterruptSave(const std::function<void()>& save, rlim_t bytesBeforeTheKill) {
  const pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    std::signal(SIGXFSZ, SIG_DFL);
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    const rlimit limit{bytesBeforeTheKill, bytesBeforeTheKill};
    setrlimit(RLIMIT_FSIZE, &limit);
    save();
    _exit(0);
  }
  int status = 0;
  return waitpid(pid, &status, 0) == pid && WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ;
}
