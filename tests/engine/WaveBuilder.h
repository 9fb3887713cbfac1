#pragma once
// Builds RIFF WAVE images chunk by chunk, so tests can describe odd and broken files.

#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

namespace larkspur::test {

class WaveBuilder {
public:
    WaveBuilder& chunk(const std::string& id, const std::vector<uint8_t>& body, bool pad = true)
    {
        return chunkWithSize(id, static_cast<uint32_t>(body.size()), body, pad);
    }
    // A chunk whose declared size need not match its body.
    WaveBuilder& chunkWithSize(const std::string& id, uint32_t declared, const std::vector<uint8_t>& body,
                               bool pad = true)
    {
        m_body.insert(m_body.end(), id.begin(), id.end());
        put32(m_body, declared);
        m_body.insert(m_body.end(), body.begin(), body.end());
        if (pad && body.size() % 2)
            m_body.push_back(0);
        return *this;
    }
    WaveBuilder& fmt(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits)
    {
        const auto align = static_cast<uint16_t>(channels * ((bits + 7) / 8));
        std::vector<uint8_t> body;
        put16(body, tag);
        put16(body, channels);
        put32(body, rate);
        put32(body, rate * align);
        put16(body, align);
        put16(body, bits);
        return chunk("fmt ", body);
    }
    WaveBuilder& data(const std::vector<uint8_t>& samples) { return chunk("data", samples); }

    std::vector<uint8_t> image() const
    {
        std::vector<uint8_t> out{'R', 'I', 'F', 'F'};
        put32(out, static_cast<uint32_t>(m_body.size() + 4));
        out.insert(out.end(), {'W', 'A', 'V', 'E'});
        out.insert(out.end(), m_body.begin(), m_body.end());
        return out;
    }

    static void put16(std::vector<uint8_t>& out, uint16_t v)
    {
        out.push_back(static_cast<uint8_t>(v));
        out.push_back(static_cast<uint8_t>(v >> 8));
    }
    static void put32(std::vector<uint8_t>& out, uint32_t v)
    {
        for (int s = 0; s < 32; s += 8)
            out.push_back(static_cast<uint8_t>(v >> s));
    }

private:
    std::vector<uint8_t> m_body;
};

inline void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<uint8_t> readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A recognisable, non-repeating-within-a-block test signal.
inline std::vector<uint8_t> rampSignal(size_t count)
{
    std::vector<uint8_t> samples(count);
    for (size_t i = 0; i < count; ++i)
        samples[i] = static_cast<uint8_t>((i * 7 + i / 251) & 0xFF);
    return samples;
}

} // namespace larkspur::test
