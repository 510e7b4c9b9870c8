// Exits with 32 only when it runs as a 32-bit program, so that starting it under Wine tells whether
// this machine can run the shipped 32-bit launcher (tools/windows-build.sh).

int main() {
    return sizeof(void*) == 4 ? 32 : 1;
}
