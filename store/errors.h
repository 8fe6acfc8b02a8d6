#pragma once
// Failures of the store carry the fixed message texts that callers show or swallow.
// The reader rewrites the text of a failure on its way out ("Error reading ..."), so the
// message is mutable.

#include <exception>
#include <string>
#include <utility>

namespace orvenna::store {

class EStoreError : public std::exception {
public:
    explicit EStoreError(std::string message) : Message(std::move(message)) {}
    const char* what() const noexcept override { return Message.c_str(); }
    const std::string& Text() const noexcept { return Message; }
    void SetText(std::string message) { Message = std::move(message); }

private:
    std::string Message;
};

// Any failure of the component stream and its files.
class EStreamError : public EStoreError {
public:
    using EStoreError::EStoreError;
};

// The reader met bytes it cannot map onto the object ("Stream read error", "Invalid stream
// format", "Invalid property value", ...).
class EReadError final : public EStreamError {
public:
    using EStreamError::EStreamError;
};

// A short or failed write ("Stream write error").
class EWriteError final : public EStreamError {
public:
    using EStreamError::EStreamError;
};

// A file could not be opened or created ("Cannot open file ...", "Cannot create file ...").
class EFileError final : public EStreamError {
public:
    using EStreamError::EStreamError;
};

// Another program kept a file locked past the wait, or its lock could not be taken
// ("Cannot lock file ...").
class ELockError final : public EStoreError {
public:
    using EStoreError::EStoreError;
};

// An index outside a list ("List index out of bounds (%d)").
class EListError final : public EStoreError {
public:
    using EStoreError::EStoreError;
};

// An assignment between unrelated classes ("Cannot assign a %s to a %s") or a bad date.
class EConvertError final : public EStoreError {
public:
    using EStoreError::EStoreError;
};

inline constexpr const char* StreamReadError = "Stream read error";
inline constexpr const char* StreamWriteError = "Stream write error";
inline constexpr const char* InvalidStreamFormat = "Invalid stream format";
inline constexpr const char* InvalidPropertyValue = "Invalid property value";
inline constexpr const char* InvalidPropertyPath = "Invalid property path";
inline constexpr const char* PropertyReadOnly = "Property is read-only";

}  // namespace orvenna::store
