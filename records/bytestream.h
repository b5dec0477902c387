// Explicit little-endian byte packing for the file formats: fields are written and read one by one,
// independent of how the host lays out structures.
#pragma once

#include "records/real48.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <cstring>

namespace records {

class ByteWriter {
public:
    explicit ByteWriter(QByteArray& out) : out_(out) {}

    void u8(std::uint8_t value) { out_.append(static_cast<char>(value)); }
    void i16(std::int16_t value) { little(static_cast<std::uint16_t>(value), 2); }
    void i32(std::int32_t value) { little(static_cast<std::uint32_t>(value), 4); }
    void u64(std::uint64_t value) { little(value, 8); }
    // A double as a 6-byte real; values beyond the format's range are stored saturated.
    void real48(double value) { little(encodeReal48BitsSaturated(value), 6); }
    void bytes(QByteArrayView data) { out_.append(data); }

private:
    void little(std::uint64_t value, int size) {
        char buffer[8];
        for (int i = 0; i < size; ++i) {
            buffer[i] = static_cast<char>(value >> (8 * i));
        }
        out_.append(buffer, size);
    }

    QByteArray& out_;
};

// Reads fields from a byte range. Reading past the end yields zeros and clears ok(), so a caller can
// read a group of fields and check once.
class ByteReader {
public:
    explicit ByteReader(QByteArrayView data) : data_(data) {}

    bool ok() const { return ok_; }
    qsizetype remaining() const { return data_.size() - pos_; }
    bool atEnd() const { return remaining() <= 0; }

    std::uint8_t u8() { return static_cast<std::uint8_t>(little(1)); }
    std::int16_t i16() { return static_cast<std::int16_t>(little(2)); }
    std::int32_t i32() { return static_cast<std::int32_t>(little(4)); }
    std::uint64_t u64() { return little(8); }
    double real48() { return decodeReal48Bits(little(6)); }
    // The next `size` bytes; empty (and not ok) when fewer remain.
    QByteArrayView bytes(qsizetype size) {
        if (size < 0 || size > remaining()) {
            ok_ = false;
            pos_ = data_.size();
            return {};
        }
        const QByteArrayView view = data_.sliced(pos_, size);
        pos_ += size;
        return view;
    }

private:
    std::uint64_t little(int size) {
        const QByteArrayView field = bytes(size);
        std::uint64_t value = 0;
        for (qsizetype i = 0; i < field.size(); ++i) {
            value |= static_cast<std::uint64_t>(static_cast<std::uint8_t>(field[i])) << (8 * i);
        }
        return value;
    }

    QByteArrayView data_;
    qsizetype pos_ = 0;
    bool ok_ = true;
};

} // namespace records
