#include "core/fixture.h"

#include <fstream>
#include <iterator>

namespace tessary::testing {

std::vector<unsigned char> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::filesystem::path& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

void AppendBytes(const std::filesystem::path& path, std::size_t count, unsigned char value) {
    std::ofstream out(path, std::ios::binary | std::ios::app);
    const std::string bytes(count, static_cast<char>(value));
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace tessary::testing
