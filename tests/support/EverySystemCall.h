// Runs work in a child process that stops at every system call it makes (on
// the way in and out, under ptrace); between any two, the parent runs
// between(): whatever another process could do at that moment, it does then.
#pragma once
#include <csignal>
#include <functional>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

// True when work returned true in the child.
inline bool AtEverySystemCall(const std::function<bool()>& work, const std::function<void()>& between) {
  const pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    if (ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) _exit(2);
    raise(SIGSTOP);
    _exit(work() ? 0 : 1);
  }
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFSTOPPED(status)) return false;
  ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL);
  int signal = 0;
  for (;;) {
    if (ptrace(PTRACE_SYSCALL, pid, nullptr, signal) != 0) return false;
    if (waitpid(pid, &status, 0) != pid) return false;
    if (WIFEXITED(status)) return WEXITSTATUS(status) == 0;
    if (WIFSIGNALED(status)) return false;
    const bool atCall = WSTOPSIG(status) == (SIGTRAP | 0x80);
    if (atCall) between();
    signal = atCall ? 0 : WSTOPSIG(status);
  }
}
