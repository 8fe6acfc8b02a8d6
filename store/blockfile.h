#pragma once
// A file read from its start in blocks, so that a large file never needs a buffer of its size.

#include <cstddef>
#include <string>

namespace orvenna::store {

class TBlockFile final {
public:
    // Opens the file for reading. Throws EFileError "Cannot open file "<name>". <system error>"
    // when it cannot be opened (a folder cannot).
    explicit TBlockFile(const std::string& fileName);
    TBlockFile(const TBlockFile&) = delete;
    TBlockFile& operator=(const TBlockFile&) = delete;
    ~TBlockFile();

    // Reads the next bytes into data, up to count; fewer only at the end of the file. A read
    // failure ends the data early, as the end of the file does.
    std::size_t Read(char* data, std::size_t count);
    // The size the file had when it was opened.
    std::size_t Size() const { return OpenSize; }
    // The whole file once more from its start, whatever was read so far.
    std::string ReadAll();

private:
    int Fd = -1;
    std::size_t OpenSize = 0;
    bool Ended = false;
};

}  // namespace orvenna::store
