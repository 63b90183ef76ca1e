/* SPDX-License-Identifier: MIT */
/* What asking the processor which vector instructions it has costs a run:
 * null_process.c with one question the compiler's way, whose answer the
 * compiler's start-up code gets from the processor itself (a trap to the
 * host in a virtual machine). Run the two in turn, with full paths:
 *
 *   build-bench/bin/time_runs /tmp 2000 $PWD/build-bench/bin/processor_question
 *       --against $PWD/build-bench/bin/null_process
 */
static volatile int answer;

int main(void) {
  answer = __builtin_cpu_supports("avx2");
  return 0;
}
