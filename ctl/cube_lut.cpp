#include "ctl/cube_lut.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace cube {

namespace {

// Writers print values such as 1.0000001 for 1; anything further out is another LUT's range.
constexpr double kRangeSlack = 1e-6;

bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

// Splits a line into whitespace-separated words, at most `limit` (one more tells "too many").
int split(std::string_view line, std::array<std::string_view, 5>& words) {
    int count = 0;
    std::size_t i = 0;
    while (i < line.size() && count < static_cast<int>(words.size())) {
        while (i < line.size() && is_space(line[i]))
            ++i;
        if (i >= line.size()) break;
        const std::size_t start = i;
        while (i < line.size() && !is_space(line[i]))
            ++i;
        words[static_cast<std::size_t>(count++)] = line.substr(start, i - start);
    }
    return count;
}

bool to_double(std::string_view word, double& value) {
    // from_chars takes no leading '+', which some writers put before positive numbers.
    if (!word.empty() && word.front() == '+') word.remove_prefix(1);
    const char* end = word.data() + word.size();
    const auto [ptr, ec] = std::from_chars(word.data(), end, value);
    return ec == std::errc() && ptr == end;
}

QString at_line(int line, const QString& text) {
    return QStringLiteral("line %1: %2").arg(line).arg(text);
}

QString word_text(std::string_view word) {
    return QString::fromUtf8(word.data(), static_cast<qsizetype>(word.size()));
}

bool read_triple(const std::array<std::string_view, 5>& words, int first,
                 std::array<double, 3>& out) {
    for (int k = 0; k < 3; ++k) {
        if (!to_double(words[static_cast<std::size_t>(first + k)],
                       out[static_cast<std::size_t>(k)]))
            return false;
    }
    return true;
}

}  // namespace

bool parse(std::string_view text, CubeLut& out, QString& error) {
    out = CubeLut();
    std::size_t expected = 0;
    int line_number = 0;
    std::size_t pos = 0;
    bool domain_given = false;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++line_number;
        if (const std::size_t hash = line.find('#'); hash != std::string_view::npos)
            line = line.substr(0, hash);
        std::array<std::string_view, 5> words{};
        const int count = split(line, words);
        if (count == 0) continue;
        const std::string_view key = words[0];
        const char first = key.front();
        double probe = 0;
        // "nan" and "inf" start with letters but are rows, and must be refused as such.
        const bool keyword = ((first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z')) &&
                             !to_double(key, probe);
        if (!keyword) {
            if (out.size == 0) {
                error = at_line(line_number, QStringLiteral("a row of data before LUT_3D_SIZE"));
                return false;
            }
            std::array<double, 3> v{};
            if (count != 3 || !read_triple(words, 0, v)) {
                error = at_line(line_number, QStringLiteral("expected three numbers, found \"%1\"")
                                                 .arg(word_text(line).simplified()));
                return false;
            }
            for (double x : v) {
                if (!std::isfinite(x)) {
                    error = at_line(line_number, QStringLiteral("%1 is not a number").arg(x));
                    return false;
                }
                if (x < -kRangeSlack || x > 1.0 + kRangeSlack) {
                    error = at_line(line_number, QStringLiteral("%1 is outside 0..1").arg(x));
                    return false;
                }
            }
            if (out.rows.size() >= expected) {
                error = at_line(line_number,
                                QStringLiteral("more rows than the %1 of a %2 x %2 x %2 LUT")
                                    .arg(expected)
                                    .arg(out.size));
                return false;
            }
            out.rows.push_back({static_cast<float>(std::clamp(v[0], 0.0, 1.0)),
                                static_cast<float>(std::clamp(v[1], 0.0, 1.0)),
                                static_cast<float>(std::clamp(v[2], 0.0, 1.0))});
            continue;
        }
        if (!out.rows.empty()) {
            error = at_line(line_number,
                            QStringLiteral("%1 after the rows of data").arg(word_text(key)));
            return false;
        }
        if (key == "TITLE") {
            const std::size_t open = line.find('"');
            const std::size_t close = line.rfind('"');
            if (open != std::string_view::npos && close > open)
                out.title = word_text(line.substr(open + 1, close - open - 1));
        } else if (key == "LUT_3D_SIZE") {
            double size = 0;
            if (out.size != 0) {
                error = at_line(line_number, QStringLiteral("a second LUT_3D_SIZE"));
                return false;
            }
            if (count != 2 || !to_double(words[1], size) || size != std::floor(size) ||
                size < kMinimumSize || size > kMaximumSize) {
                error = at_line(line_number,
                                QStringLiteral("LUT_3D_SIZE must be a whole number from %1 to %2")
                                    .arg(kMinimumSize)
                                    .arg(kMaximumSize));
                return false;
            }
            out.size = static_cast<int>(size);
            expected = static_cast<std::size_t>(out.size) * out.size * out.size;
            out.rows.reserve(expected);
        } else if (key == "LUT_1D_SIZE") {
            error =
                at_line(line_number, QStringLiteral("a 1D LUT; the monitor's slots hold 3D LUTs"));
            return false;
        } else if (key == "DOMAIN_MIN" || key == "DOMAIN_MAX") {
            std::array<double, 3> v{};
            if (count != 4 || !read_triple(words, 1, v) ||
                !std::all_of(v.begin(), v.end(), [](double x) { return std::isfinite(x); })) {
                error = at_line(line_number,
                                QStringLiteral("%1 needs three numbers").arg(word_text(key)));
                return false;
            }
            (key == "DOMAIN_MIN" ? out.domain_min : out.domain_max) = v;
            domain_given = true;
        } else if (key == "LUT_3D_INPUT_RANGE") {
            double low = 0, high = 0;
            if (count != 3 || !to_double(words[1], low) || !to_double(words[2], high) ||
                !std::isfinite(low) || !std::isfinite(high)) {
                error =
                    at_line(line_number, QStringLiteral("LUT_3D_INPUT_RANGE needs two numbers"));
                return false;
            }
            out.domain_min = {low, low, low};
            out.domain_max = {high, high, high};
            domain_given = true;
        } else {
            error = at_line(line_number, QStringLiteral("unknown keyword %1").arg(word_text(key)));
            return false;
        }
    }
    if (out.size == 0) {
        error = QStringLiteral("no LUT_3D_SIZE line: not a 3D LUT");
        return false;
    }
    if (out.rows.size() != expected) {
        error = QStringLiteral("%1 rows of data where a %2 x %2 x %2 LUT has %3 (truncated file?)")
                    .arg(out.rows.size())
                    .arg(out.size)
                    .arg(expected);
        return false;
    }
    if (domain_given) {
        for (std::size_t c = 0; c < 3; ++c) {
            if (!(out.domain_min[c] < out.domain_max[c])) {
                error = QStringLiteral("DOMAIN_MIN must be below DOMAIN_MAX in every channel");
                return false;
            }
        }
    }
    return true;
}

std::vector<std::int32_t> resample(const CubeLut& lut) {
    std::vector<std::int32_t> points;
    points.reserve(3 * kMonitorNodes * kMonitorNodes * kMonitorNodes);
    const int n = lut.size;
    const auto row = [&](int r, int g, int b) -> const std::array<float, 3>& {
        return lut.rows[static_cast<std::size_t>((b * n + g) * n + r)];
    };
    // Where a node's input level falls in the LUT: the lower index and the fraction beyond it.
    const auto locate = [&](int node, std::size_t channel, int& index, double& fraction) {
        const double level = static_cast<double>(node) / (kMonitorNodes - 1);
        const double span = lut.domain_max[channel] - lut.domain_min[channel];
        double c = (level - lut.domain_min[channel]) / span * (n - 1);
        c = std::clamp(c, 0.0, static_cast<double>(n - 1));
        index = std::min(static_cast<int>(std::floor(c)), n - 2);
        fraction = c - index;
    };
    for (int bn = 0; bn < kMonitorNodes; ++bn) {
        int b0 = 0;
        double fb = 0;
        locate(bn, 2, b0, fb);
        for (int gn = 0; gn < kMonitorNodes; ++gn) {
            int g0 = 0;
            double fg = 0;
            locate(gn, 1, g0, fg);
            for (int rn = 0; rn < kMonitorNodes; ++rn) {
                int r0 = 0;
                double fr = 0;
                locate(rn, 0, r0, fr);
                for (std::size_t ch = 0; ch < 3; ++ch) {
                    const auto at = [&](int dr, int dg, int db) {
                        return static_cast<double>(row(r0 + dr, g0 + dg, b0 + db)[ch]);
                    };
                    const double c00 = at(0, 0, 0) * (1 - fr) + at(1, 0, 0) * fr;
                    const double c10 = at(0, 1, 0) * (1 - fr) + at(1, 1, 0) * fr;
                    const double c01 = at(0, 0, 1) * (1 - fr) + at(1, 0, 1) * fr;
                    const double c11 = at(0, 1, 1) * (1 - fr) + at(1, 1, 1) * fr;
                    const double c0 = c00 * (1 - fg) + c10 * fg;
                    const double c1 = c01 * (1 - fg) + c11 * fg;
                    const double v = c0 * (1 - fb) + c1 * fb;
                    points.push_back(
                        static_cast<std::int32_t>(std::floor(0.5 + v * kMonitorScale)));
                }
            }
        }
    }
    return points;
}

std::string write(std::span<const std::int32_t> points, int nodes, const QString& title) {
    std::string text;
    QString clean = title;
    clean.remove(QLatin1Char('"')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    text += "TITLE \"" + clean.toStdString() + "\"\n";
    text += "LUT_3D_SIZE " + std::to_string(nodes) + "\n";
    text += "DOMAIN_MIN 0 0 0\nDOMAIN_MAX 1 1 1\n";
    char buffer[64];
    for (std::size_t i = 0; i + 2 < points.size(); i += 3) {
        std::snprintf(buffer, sizeof buffer, "%.6f %.6f %.6f\n",
                      static_cast<double>(points[i]) / kMonitorScale,
                      static_cast<double>(points[i + 1]) / kMonitorScale,
                      static_cast<double>(points[i + 2]) / kMonitorScale);
        text += buffer;
    }
    return text;
}

}  // namespace cube
