// Runs the fuzz target over saved inputs without libFuzzer, so the seed
// corpus and the regression inputs replay as an ordinary test:
//   fuzz_replay DIR_OR_FILE...
// Directories are walked recursively, files in name order. Fails when an
// argument cannot be read or when no input ran at all.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool RunFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.string().c_str());
        return false;
    }
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<uint8_t> data(bytes.begin(), bytes.end());
    // A copy on the heap of exactly the input's size, as libFuzzer passes it.
    LLVMFuzzerTestOneInput(data.data(), data.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s DIR_OR_FILE...\n", argv[0]);
        return 2;
    }
    long ran = 0;
    bool ok = true;
    for (int i = 1; i < argc; ++i) {
        const fs::path arg = argv[i];
        std::error_code ec;
        if (fs::is_directory(arg, ec)) {
            std::vector<fs::path> files;
            for (const auto& entry : fs::recursive_directory_iterator(arg)) {
                if (entry.is_regular_file()) files.push_back(entry.path());
            }
            std::sort(files.begin(), files.end());
            for (const auto& file : files) {
                if (RunFile(file)) ++ran;
                else ok = false;
            }
        } else if (fs::is_regular_file(arg, ec)) {
            if (RunFile(arg)) ++ran;
            else ok = false;
        } else {
            std::fprintf(stderr, "no such file or directory: %s\n", argv[i]);
            ok = false;
        }
    }
    std::printf("fuzz_replay: %ld input(s) ran\n", ran);
    if (ran == 0) {
        std::fprintf(stderr, "fuzz_replay: no inputs found\n");
        return 1;
    }
    return ok ? 0 : 1;
}
