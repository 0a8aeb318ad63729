#include <cstdio>
int main() { std::puts("vitalyx: not built yet"); return 2; }
