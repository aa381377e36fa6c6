// A program that only carries a version resource, for the summary's module blocks.
int main() { return 0; }
