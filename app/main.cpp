// Program entry (filled in with the main window).
int main() { return 0; }
