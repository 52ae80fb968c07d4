#include <cstdio>

int main() {
  std::puts("usage: mivrola-batch --list");
  return 0;
}
