/* A static C process that does nothing: the cost of starting and ending a
 * process on this machine, below which no program can go. */
int main(void) { return 0; }
