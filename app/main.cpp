// Program start of zavo-driver.
#include <cstdio>

int main(int, char**) {
    std::puts("zavo-driver: control and data acquisition for the X-ray apparatus");
    return 0;
}
