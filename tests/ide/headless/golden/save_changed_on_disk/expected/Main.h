#include "Main.h"

#include <cstdio>

int Sum(int a, int b) {
return a + b;
}

int main() {
	std::printf("%d\n", Sum(2, 3));
	return 0;
}
