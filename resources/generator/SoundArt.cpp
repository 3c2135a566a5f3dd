// The explosion and the applause, synthesised from filtered noise, written as 16-bit PCM WAV files.

#include "Art.h"
#include "ArtKit.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace art {

namespace {

constexpr int kRate = 22050;

// An RBJ biquad: low-pass or band-pass.
class Biquad
{
public:
    static Biquad lowPass(double frequency, double q) { return make(frequency, q, false); }
    static Biquad bandPass(double frequency, double q) { return make(frequency, q, true); }

    double operator()(double x)
    {
        const double y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
        x2_ = x1_;
        x1_ = x;
        y2_ = y1_;
        y1_ = y;
        return y;
    }

private:
    static Biquad make(double frequency, double q, bool band)
    {
        const double w = 2.0 * std::numbers::pi * frequency / kRate;
        const double alpha = std::sin(w) / (2.0 * q);
        const double a0 = 1.0 + alpha;
        Biquad f;
        if (band) {
            f.b0_ = alpha / a0;
            f.b1_ = 0.0;
            f.b2_ = -alpha / a0;
        } else {
            f.b0_ = (1.0 - std::cos(w)) / 2.0 / a0;
            f.b1_ = (1.0 - std::cos(w)) / a0;
            f.b2_ = f.b0_;
        }
        f.a1_ = -2.0 * std::cos(w) / a0;
        f.a2_ = (1.0 - alpha) / a0;
        return f;
    }

    double b0_ = 0, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
    double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

void appendLe(QByteArray &out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.append(static_cast<char>((value >> (8 * i)) & 0xFFu));
}

// Interleaved samples in -1..1, scaled so the loudest peak sits at `peak`.
QByteArray wav(std::vector<double> samples, int channels, double peak)
{
    double loudest = 1e-9;
    for (double s : samples)
        loudest = std::max(loudest, std::abs(s));
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    QByteArray out;
    out.append("RIFF");
    appendLe(out, 36 + dataBytes, 4);
    out.append("WAVEfmt ");
    appendLe(out, 16, 4);
    appendLe(out, 1, 2); // PCM
    appendLe(out, static_cast<std::uint32_t>(channels), 2);
    appendLe(out, kRate, 4);
    appendLe(out, static_cast<std::uint32_t>(kRate * channels * 2), 4);
    appendLe(out, static_cast<std::uint32_t>(channels * 2), 2);
    appendLe(out, 16, 2);
    out.append("data");
    appendLe(out, dataBytes, 4);
    for (double s : samples) {
        const auto v = static_cast<std::int16_t>(std::lround(std::clamp(s / loudest * peak, -1.0, 1.0) * 32767.0));
        appendLe(out, static_cast<std::uint16_t>(v), 2);
    }
    return out;
}

double seconds(size_t sample)
{
    return static_cast<double>(sample) / kRate;
}

} // namespace

QByteArray explosionSound()
{
    Random rnd(0x5EED0001);
    const size_t n = static_cast<size_t>(kRate * 3 / 2);
    std::vector<double> out(n, 0.0);

    // The blast: noise through a low-pass whose cut-off falls from bright to a dull rumble.
    Biquad body = Biquad::lowPass(4000, 0.7);
    for (size_t i = 0; i < n; ++i) {
        const double t = seconds(i);
        if (i % 64 == 0)
            body = Biquad::lowPass(180.0 + 3800.0 * std::exp(-t / 0.12), 0.9);
        const double attack = std::min(1.0, t / 0.004);
        const double env = attack * (0.75 * std::exp(-t / 0.28) + 0.25 * std::exp(-t / 0.7));
        out[i] += body(rnd.uniform(-1.0, 1.0)) * env * 1.6;
    }

    // The crack at the very start.
    for (size_t i = 0; i < static_cast<size_t>(kRate / 25); ++i)
        out[i] += rnd.uniform(-1.0, 1.0) * std::exp(-seconds(i) / 0.008) * 0.6;

    // A falling thump underneath.
    double phase = 0.0;
    for (size_t i = 0; i < n; ++i) {
        const double t = seconds(i);
        phase += 2.0 * std::numbers::pi * (38.0 + 60.0 * std::exp(-t / 0.15)) / kRate;
        out[i] += std::sin(phase) * std::min(1.0, t / 0.006) * std::exp(-t / 0.3) * 0.7;
    }

    // Debris: short crackling grains, thinning out.
    Biquad grainTone = Biquad::bandPass(2500, 1.2);
    for (int g = 0; g < 140; ++g) {
        const double start = 0.03 + std::pow(rnd.uniform(), 1.8) * 1.25;
        const double tau = rnd.uniform(0.0015, 0.006);
        const double gain = rnd.uniform(0.1, 0.35) * std::exp(-start / 0.6);
        const auto first = static_cast<size_t>(start * kRate);
        for (size_t i = 0; i < static_cast<size_t>(tau * 6 * kRate) && first + i < n; ++i)
            out[first + i] += grainTone(rnd.uniform(-1.0, 1.0)) * gain * std::exp(-seconds(i) / tau) * 3.0;
    }

    // Fade the tail to silence and round the peaks a little, like an overdriven speaker.
    for (size_t i = 0; i < n; ++i) {
        const double t = seconds(i);
        const double fade = t > 1.2 ? std::cos((t - 1.2) / 0.3 * std::numbers::pi / 2) : 1.0;
        out[i] = std::tanh(out[i] * 1.4) * fade;
    }
    return wav(out, 1, 0.9);
}

QByteArray applauseSound()
{
    Random rnd(0x5EED0002);
    const size_t n = static_cast<size_t>(kRate * 4);
    std::vector<double> left(n, 0.0), right(n, 0.0);

    // A crowd of clappers, each with an own pace, tone, place and moment to stop.
    for (int person = 0; person < 34; ++person) {
        const double pan = rnd.uniform(0.1, 0.9);
        const double tone = rnd.uniform(700.0, 2600.0);
        const double loudness = rnd.uniform(0.4, 1.0);
        const double pace = rnd.uniform(0.16, 0.26);
        const double stop = rnd.uniform(2.4, 3.9);
        double t = rnd.uniform(0.0, 0.35);
        while (t < stop) {
            Biquad clap = Biquad::bandPass(tone * rnd.uniform(0.9, 1.1), rnd.uniform(0.8, 1.6));
            const double tau = rnd.uniform(0.004, 0.011);
            const double swell = std::min(1.0, t / 0.4) * (t > stop - 0.5 ? (stop - t) / 0.5 : 1.0);
            const double gain = loudness * rnd.uniform(0.6, 1.0) * (0.3 + 0.7 * swell);
            const auto first = static_cast<size_t>(t * kRate);
            for (size_t i = 0; i < static_cast<size_t>(0.06 * kRate) && first + i < n; ++i) {
                const double s = clap(rnd.uniform(-1.0, 1.0)) * gain * std::min(1.0, seconds(i) / 0.0006)
                                 * std::exp(-seconds(i) / tau);
                left[first + i] += s * (1.0 - pan);
                right[first + i] += s * pan;
            }
            t += pace * rnd.uniform(0.85, 1.15);
        }
    }

    // The hall: two early reflections, crossed between the channels.
    const std::vector<double> dryLeft = left;
    const std::vector<double> dryRight = right;
    for (const auto &[delay, gain] :
         std::vector<std::pair<double, double>>{{0.021, 0.35}, {0.043, 0.22}, {0.071, 0.12}}) {
        const auto d = static_cast<size_t>(delay * kRate);
        for (size_t i = d; i < n; ++i) {
            left[i] += dryRight[i - d] * gain;
            right[i] += dryLeft[i - d] * gain;
        }
    }

    // Claps that happen to coincide make rare loud peaks; a soft limiter keeps them from making the
    // whole crowd quiet after normalising.
    double loudest = 1e-9;
    for (size_t i = 0; i < n; ++i)
        loudest = std::max({loudest, std::abs(left[i]), std::abs(right[i])});
    std::vector<double> out(2 * n);
    for (size_t i = 0; i < n; ++i) {
        const double t = seconds(i);
        const double fade = t > 3.7 ? std::max(0.0, (4.0 - t) / 0.3) : 1.0;
        out[2 * i] = std::tanh(left[i] / loudest * 3.0) * fade;
        out[2 * i + 1] = std::tanh(right[i] / loudest * 3.0) * fade;
    }
    return wav(out, 2, 0.8);
}

} // namespace art
