/* One job of a batch over event directories: runs each step's command in its
 * subdirectory of the event directory, one after the other, and stops at the
 * first that does not end with status 0. A step is "SUBDIRECTORY:COMMAND",
 * the command split at blanks; the event directory comes last, as xargs
 * appends it.
 *
 *   event_job 'pathfix:/bin/pathfix' 'mwcalc:/bin/mwcalc' events/0001
 *
 * A static C process, so that the job itself adds little to what it runs. */
#include <stdio.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

enum { kMaxArguments = 64, kMaxPath = 4096 };

static int run_step(const char* event, const char* step) {
  char text[kMaxPath];
  char directory[kMaxPath];
  char* arguments[kMaxArguments + 1];
  if (snprintf(text, sizeof text, "%s", step) >= (int)sizeof text) return 0;
  char* colon = strchr(text, ':');
  if (colon == NULL) return 0;
  *colon = '\0';
  if (snprintf(directory, sizeof directory, "%s/%s", event, text) >= (int)sizeof directory) return 0;
  int count = 0;
  for (char* word = strtok(colon + 1, " "); word != NULL && count < kMaxArguments; word = strtok(NULL, " "))
    arguments[count++] = word;
  arguments[count] = NULL;
  if (count == 0) return 0;

  const pid_t child = fork();
  if (child < 0) return 0;
  if (child == 0) {
    if (chdir(directory) == 0) execv(arguments[0], arguments);
    _exit(127);
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child) return 0;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

int main(int argc, char** argv) {
  if (argc < 3) {
    fputs("usage: event_job SUBDIRECTORY:COMMAND... EVENT_DIRECTORY\n", stderr);
    return 2;
  }
  const char* event = argv[argc - 1];
  for (int i = 1; i < argc - 1; ++i) {
    if (!run_step(event, argv[i])) {
      fprintf(stderr, "event_job: %s: step %s failed\n", event, argv[i]);
      return 1;
    }
  }
  return 0;
}
