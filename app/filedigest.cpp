#include "app/filedigest.h"

// The hash is compiled in from the library's header (its inline build): one shared library
// fewer to load at every start, for the few functions used here.
#define XXH_INLINE_ALL
#include <xxhash.h>

#include <new>

namespace orvenna::app {
namespace {

// 0 stands for "nothing known" with the callers.
std::uint64_t NonZero(XXH64_hash_t digest)
{
    return digest == 0 ? 1 : digest;
}

}  // namespace

struct TFileDigest::TState {
    XXH3_state_t* Hash = XXH3_createState();
    ~TState() { XXH3_freeState(Hash); }
};

std::uint64_t FileDigest(std::string_view bytes)
{
    return NonZero(XXH3_64bits(bytes.data(), bytes.size()));
}

TFileDigest::TFileDigest() : State(std::make_unique<TState>())
{
    if (State->Hash == nullptr)
        throw std::bad_alloc();
    XXH3_64bits_reset(State->Hash);
}

TFileDigest::~TFileDigest() = default;

void TFileDigest::Add(std::string_view bytes)
{
    XXH3_64bits_update(State->Hash, bytes.data(), bytes.size());
}

std::uint64_t TFileDigest::Value() const
{
    return NonZero(XXH3_64bits_digest(State->Hash));
}

}  // namespace orvenna::app
