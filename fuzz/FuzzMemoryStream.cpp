// SPDX-License-Identifier: GPL-3.0-or-later
// MemoryStream, InsertStream and DeleteBytes driven by a byte program and
// compared, step by step, with a plain vector that does the same.

#include "engine/MemoryStream.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

class Program {
public:
    Program(const std::uint8_t *data, std::size_t size) : m_data(data), m_size(size) { }
    bool done() const { return m_at >= m_size; }
    std::uint8_t byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    // Small values around zero, so that both edges of the stream are met.
    std::int32_t small(std::int32_t range) { return static_cast<std::int32_t>((byte() << 8 | byte()) % range) - 16; }

private:
    const std::uint8_t *m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

struct Model {
    std::vector<std::uint8_t> bytes;
    std::int64_t position = 0;
    std::int64_t size() const { return static_cast<std::int64_t>(bytes.size()); }
};

bool same(const brantlow::MemoryStream &stream, const Model &model)
{
    return stream.Size() == model.size() && stream.Position() == model.position
        && (model.bytes.empty() || std::memcmp(stream.Data(), model.bytes.data(), model.bytes.size()) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using brantlow::SeekOrigin;
    Program program(data, size);
    brantlow::MemoryStream stream;
    Model model;
    std::uint8_t buffer[600];

    for (int step = 0; step < 64 && !program.done(); ++step) {
        switch (program.byte() % 7) {
        case 0: {
            const auto origin = static_cast<SeekOrigin>(program.byte() % 3);
            const std::int64_t offset = program.small(4200);
            const std::int64_t base = origin == SeekOrigin::Begin ? 0
                : origin == SeekOrigin::Current                   ? model.position
                                                                  : model.size();
            model.position = base + offset;
            check(stream.Seek(offset, origin) == model.position);
            break;
        }
        case 1: {
            const std::int32_t count = program.small(560);
            const std::int32_t got = stream.Read(buffer, count);
            std::int32_t want = 0;
            if (count > 0 && model.position >= 0 && model.position < model.size())
                want = static_cast<std::int32_t>(std::min<std::int64_t>(count, model.size() - model.position));
            check(got == want);
            check(want == 0 || std::memcmp(buffer, model.bytes.data() + model.position, static_cast<std::size_t>(want)) == 0);
            model.position += want;
            break;
        }
        case 2: {
            const std::int32_t count = program.small(560);
            for (std::int32_t i = 0; i < count && i < 600; ++i)
                buffer[i] = program.byte();
            if (model.position > 8192)
                break; // keep the stream small
            const std::int32_t wrote = stream.Write(buffer, count);
            if (count <= 0 || model.position < 0) {
                check(wrote == 0);
                break;
            }
            check(wrote == count);
            if (model.position + count > model.size())
                model.bytes.resize(static_cast<std::size_t>(model.position + count), 0);
            std::memcpy(model.bytes.data() + model.position, buffer, static_cast<std::size_t>(count));
            model.position += count;
            break;
        }
        case 3: {
            const std::int64_t newSize = program.small(8200);
            stream.SetSize(newSize);
            model.bytes.resize(static_cast<std::size_t>(std::max<std::int64_t>(newSize, 0)), 0);
            break;
        }
        case 4:
        case 5: {
            brantlow::MemoryStream source;
            const std::int32_t count = program.byte() * 9;
            std::vector<std::uint8_t> inserted(static_cast<std::size_t>(count));
            for (auto &b : inserted)
                b = program.byte();
            if (count > 0)
                source.Write(inserted.data(), count);
            const std::int32_t offset = program.small(8200);
            const bool ok = brantlow::InsertStream(stream, offset, source);
            check(ok == (offset >= 0 && offset <= model.size()));
            if (ok) {
                model.bytes.insert(model.bytes.begin() + offset, inserted.begin(), inserted.end());
                model.position = stream.Position(); // where the insertion leaves it is not promised
            }
            break;
        }
        case 6: {
            const std::int32_t offset = program.small(8200);
            const std::int32_t count = program.small(2100);
            const bool ok = brantlow::DeleteBytes(stream, offset, count);
            check(ok == (offset >= 0 && count >= 0 && std::int64_t(offset) + count <= model.size()));
            if (ok) {
                model.bytes.erase(model.bytes.begin() + offset, model.bytes.begin() + offset + count);
                model.position = stream.Position();
            }
            break;
        }
        }
        check(same(stream, model));
    }
    return 0;
}
