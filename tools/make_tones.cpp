// Writes the dialer's tones as WAV files (8 kHz, 16-bit, mono) into a folder:
// the twelve key tones as their DTMF frequency pairs, and a ring cadence.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int Rate = 8000;
constexpr double Pi = 3.14159265358979323846;

void put16(std::ofstream& out, std::uint16_t v) {
    out.put(char(v & 0xFF)).put(char(v >> 8));
}
void put32(std::ofstream& out, std::uint32_t v) {
    put16(out, std::uint16_t(v & 0xFFFF));
    put16(out, std::uint16_t(v >> 16));
}

bool writeWav(const std::string& path, const std::vector<std::int16_t>& samples) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const std::uint32_t bytes = std::uint32_t(samples.size() * 2);
    out.write("RIFF", 4);
    put32(out, 36 + bytes);
    out.write("WAVEfmt ", 8);
    put32(out, 16);
    put16(out, 1); // PCM
    put16(out, 1); // mono
    put32(out, Rate);
    put32(out, Rate * 2);
    put16(out, 2);
    put16(out, 16);
    out.write("data", 4);
    put32(out, bytes);
    for (auto sample : samples)
        put16(out, std::uint16_t(sample));
    return bool(out);
}

// Two sines for `ms`, with 5 ms ramps so the tone does not click.
void addTone(std::vector<std::int16_t>& samples, double low, double high, int ms) {
    const int count = Rate * ms / 1000, ramp = Rate * 5 / 1000;
    for (int i = 0; i < count; ++i) {
        const double t = double(i) / Rate;
        const double envelope = std::min({1.0, double(i) / ramp, double(count - 1 - i) / ramp});
        const double value = 0.4 * envelope * (std::sin(2 * Pi * low * t) + std::sin(2 * Pi * high * t));
        samples.push_back(std::int16_t(value * 16000));
    }
}

void addSilence(std::vector<std::int16_t>& samples, int ms) {
    samples.insert(samples.end(), std::size_t(Rate * ms / 1000), 0);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_tones FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    struct Key {
        const char* name;
        double low, high;
    };
    const Key keys[] = {{"1", 697, 1209}, {"2", 697, 1336},    {"3", 697, 1477}, {"4", 770, 1209},
                        {"5", 770, 1336}, {"6", 770, 1477},    {"7", 852, 1209}, {"8", 852, 1336},
                        {"9", 852, 1477}, {"star", 941, 1209}, {"0", 941, 1336}, {"pound", 941, 1477}};
    for (const auto& key : keys) {
        std::vector<std::int16_t> samples;
        addTone(samples, key.low, key.high, 150);
        if (!writeWav(folder + "/Dtmf-" + key.name + ".wav", samples))
            return 1;
    }
    // Ring: two short bursts, then a pause; played in a loop while a call rings.
    std::vector<std::int16_t> ring;
    addTone(ring, 400, 450, 400);
    addSilence(ring, 200);
    addTone(ring, 400, 450, 400);
    addSilence(ring, 2000);
    return writeWav(folder + "/Ring.wav", ring) ? 0 : 1;
}
