/* A stand-in for xdg-open that only exits, so the figures measure the start
   of the day-note program and not the desktop's. */
int main(void) { return 0; }
