// Win32 only. The application of the launch-overhead benchmark: it exits at once.
int main() {
  return 0;
}
