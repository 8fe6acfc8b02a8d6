#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it at the end.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>

namespace orvenna::test {

class TTempFolder final {
public:
    TTempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "orvenna-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot create a temporary folder");
        Root = pattern;
    }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;
    ~TTempFolder()
    {
        std::error_code ignored;
        std::filesystem::permissions(Root, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(Root, ignored);
    }

    const std::filesystem::path& Path() const { return Root; }
    std::string File(std::string_view name) const { return (Root / name).string(); }

private:
    std::filesystem::path Root;
};

inline std::string ReadBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::filesystem::path& file, std::string_view bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Bytes from hexadecimal pairs; blanks between them are ignored.
inline std::string Hex(std::string_view text)
{
    std::string bytes;
    int high = -1;
    for (const char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            continue;
        if (high < 0) {
            high = digit;
        } else {
            bytes.push_back(static_cast<char>(high * 16 + digit));
            high = -1;
        }
    }
    return bytes;
}

// A short string: length byte and the text.
inline std::string Short(std::string_view text)
{
    return std::string(1, static_cast<char>(text.size())) + std::string(text);
}

// Resource header, "TPF0", class name, empty object name, the property records, 00 00.
inline std::string ObjectBytes(std::string_view className, std::string_view records)
{
    std::string body = "TPF0" + Short(className) + std::string(1, '\0') + std::string(records);
    body += std::string(2, '\0');
    std::string header = Hex("FF 0A 00");
    for (char c : className)
        header.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c);
    header += Hex("00 30 10");
    const auto length = static_cast<std::uint32_t>(body.size());
    for (int i = 0; i < 4; ++i)
        header.push_back(static_cast<char>((length >> (8 * i)) & 0xFF));
    return header + body;
}

}  // namespace orvenna::test
