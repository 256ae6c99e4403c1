// Runs a fuzz target once on each given file or folder's file, without libFuzzer: the suite runs the seeds.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
  std::vector<fs::path> files;
  for (int i = 1; i < argc; ++i) {
    if (!fs::is_directory(argv[i])) files.emplace_back(argv[i]);
    else
      for (const auto& e : fs::directory_iterator(argv[i]))
        if (e.is_regular_file()) files.push_back(e.path());
  }
  if (files.empty()) return std::fprintf(stderr, "usage: %s FILE|FOLDER ...\n", argv[0]), 2;
  for (const auto& f : files) {
    std::ifstream in(f, std::ios::binary);
    if (!in) return std::fprintf(stderr, "cannot read %s\n", f.string().c_str()), 2;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::printf("%s\n", f.string().c_str());
    std::fflush(stdout);  // the last name shown is the input that broke the target
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  }
  std::printf("%zu inputs\n", files.size());
}
