// Stand-in until the reference service lands.
int main() { return 1; }
