// kovash: the program entry.
int main() { return 0; }
