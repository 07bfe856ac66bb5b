/* The least a day-note start can do, in plain C and linked statically: the
   floor quorvin is measured against. */
#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

int main(void) {
  time_t now = time(NULL);
  struct tm local;
  localtime_r(&now, &local);
  char name[32], header[64], path[4096];
  strftime(name, sizeof name, "%Y_%m_%d.txt", &local);
  struct stat status;
  if (lstat(name, &status) != 0) {
    int fd = open(name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return 1;
    size_t length = strftime(header, sizeof header, "%Y/%m/%d   %A\n\n", &local);
    if (write(fd, header, length) != (ssize_t)length || fsync(fd) || close(fd)) return 1;
  }
  if (!getcwd(path, sizeof path - sizeof name - 1)) return 1;
  strcat(strcat(path, "/"), name);
  char* argv[] = {"xdg-open", path, NULL};
  pid_t child;
  int wait_status;
  if (posix_spawnp(&child, "xdg-open", NULL, NULL, argv, environ)) return 2;
  waitpid(child, &wait_status, 0);
  return wait_status ? 2 : 0;
}
