#include "formats/table_writer.h"

#include <cstring>

namespace qmtest {

namespace {

constexpr std::uint8_t kNumberKey = 0;
constexpr std::uint8_t kTextKey = 4;

std::vector<std::uint8_t> Le32(std::uint32_t v)
{
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
            static_cast<std::uint8_t>(v >> 24)};
}

std::vector<std::uint8_t> WithNul(std::string_view text)
{
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

void Append(ByteWriter& out, const std::vector<std::uint8_t>& bytes)
{
    out.Bytes(bytes.data(), bytes.size());
}

}  // namespace

std::vector<std::uint8_t> ScrambleField(const std::vector<std::uint8_t>& plain, std::uint8_t key)
{
    std::vector<std::uint8_t> out(plain.size());
    for (std::size_t i = 0; i < plain.size(); ++i) {
        const unsigned r = (key + i) % 8;
        const auto rotated = static_cast<std::uint8_t>((plain[i] << r) | (plain[i] >> ((8 - r) & 7)));
        out[i] = static_cast<std::uint8_t>(~rotated);
    }
    return out;
}

TableWriter& TableWriter::Column(std::string name, std::uint32_t value)
{
    columns_.emplace_back(std::move(name), value);
    return *this;
}

TableWriter& TableWriter::Number(std::uint32_t value)
{
    Append(recordBytes_, ScrambleField(Le32(value), kNumberKey));
    return *this;
}

TableWriter& TableWriter::Float(float value)
{
    std::uint32_t bits = 0;
    static_assert(sizeof(bits) == sizeof(value));
    std::memcpy(&bits, &value, sizeof(bits));
    return Number(bits);
}

TableWriter& TableWriter::Byte(std::uint8_t value)
{
    Append(recordBytes_, ScrambleField({value}, kNumberKey));
    return *this;
}

TableWriter& TableWriter::Text(std::string_view text)
{
    const std::vector<std::uint8_t> bytes = WithNul(text);
    Append(recordBytes_, ScrambleField(Le32(static_cast<std::uint32_t>(bytes.size())), kNumberKey));
    Append(recordBytes_, ScrambleField(bytes, kTextKey));
    return *this;
}

std::vector<std::uint8_t> TableWriter::Build() const
{
    ByteWriter out;
    out.U8(scrambledHeader_ ? 1 : 0);
    auto number = [&](std::uint32_t v) {
        Append(out, scrambledHeader_ ? ScrambleField(Le32(v), kNumberKey) : Le32(v));
    };
    number(hasForcedCount_ ? forcedCount_ : records_);
    number(static_cast<std::uint32_t>(columns_.size()));
    for (const auto& [name, value] : columns_) {
        const std::vector<std::uint8_t> text = WithNul(name);
        number(static_cast<std::uint32_t>(text.size()));
        Append(out, scrambledHeader_ ? ScrambleField(text, kTextKey) : text);
    }
    for (const auto& [name, value] : columns_) {
        number(value);
    }
    Append(out, recordBytes_.Data());
    return out.Data();
}

void TableWriter::Save(const std::string& path) const
{
    SaveBytes(path, Build());
}

std::vector<std::uint8_t> BuildSoundTable(const std::vector<std::pair<std::uint32_t, std::string>>& records,
                                          bool scrambledHeader)
{
    TableWriter writer(scrambledHeader);
    writer.Column("ID", 0).Column("FILE", 1);
    for (const auto& [id, name] : records) {
        writer.Number(id).Text(name).EndRecord();
    }
    return writer.Build();
}

std::vector<std::uint8_t> BuildSoundList(const std::vector<std::uint32_t>& ids, bool scrambledHeader)
{
    TableWriter writer(scrambledHeader);
    writer.Column("ID", 0);
    for (std::uint32_t id : ids) {
        writer.Number(id).EndRecord();
    }
    return writer.Build();
}

}  // namespace qmtest
