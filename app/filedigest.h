#pragma once
// A 64-bit digest of a file's bytes (XXH3), to tell whether a file still holds what was last
// written to it without keeping or serialising those bytes again. Bytes handed over in pieces
// give the digest of the whole; 0 is never a digest.

#include <cstdint>
#include <memory>
#include <string_view>

namespace orvenna::app {

std::uint64_t FileDigest(std::string_view bytes);

class TFileDigest final {
public:
    TFileDigest();
    ~TFileDigest();
    TFileDigest(const TFileDigest&) = delete;
    TFileDigest& operator=(const TFileDigest&) = delete;

    void Add(std::string_view bytes);
    // The digest of every piece added so far, in order.
    std::uint64_t Value() const;

private:
    struct TState;
    std::unique_ptr<TState> State;
};

}  // namespace orvenna::app
