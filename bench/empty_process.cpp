// A process that links nothing: the least a program's start and end cost.
int main() { return 0; }
