#include "progress.h"

#include <algorithm>

#include "output.h"

namespace cradlectl {
namespace {
constexpr int kBarCells = 30;
constexpr int kPlainStep = 10;
}  // namespace

ProgressView::ProgressView(std::FILE* out, bool terminal, std::vector<std::string> labels) : out_(out), terminal_(terminal) {
    for (auto& l : labels) {
        labelWidth_ = std::max(labelWidth_, l.size());
        rows_.push_back({std::move(l), {}, -1, -1});
    }
}

std::string ProgressView::line(const Row& row) const {
    std::string text = row.label + std::string(labelWidth_ - row.label.size() + 2, ' ');
    if (row.percent >= 0) {
        const int filled = std::clamp(row.percent, 0, 100) * kBarCells / 100;
        // Appended piece by piece: GCC 12 misreads "literal" + std::string at -O3 as an overlapping copy.
        text += '[';
        text.append(size_t(filled), '#');
        text.append(size_t(kBarCells - filled), '-');
        text += "] ";
        std::string p = std::to_string(row.percent);
        p += '%';
        text.append(4 - std::min<size_t>(4, p.size()), ' ');
        text += p;
        text += "  ";
    }
    return text + row.text;
}

void ProgressView::redraw() {
    std::string text;
    if (drawn_) text += "\x1b[" + std::to_string(rows_.size()) + "A";
    for (const Row& r : rows_) text += "\r\x1b[2K" + line(r) + "\n";
    writeTo(out_, text);
    drawn_ = true;
}

void ProgressView::printAbove(const std::string& text) {
    if (!terminal_ || !drawn_) {
        writeTo(out_, text);
        return;
    }
    // Up to the first row, clear to the end of the screen, the line, then the rows again.
    writeTo(out_, "\x1b[" + std::to_string(rows_.size()) + "A\r\x1b[J" + text);
    drawn_ = false;
    redraw();
}

void ProgressView::update(size_t row, const std::string& text, int percent) {
    if (row >= rows_.size()) return;
    Row& r = rows_[row];
    const bool textChanged = r.text != text;
    if (!textChanged && r.percent == percent) return;
    r.text = text;
    r.percent = percent;
    if (terminal_) {
        redraw();
        return;
    }
    const int tenth = percent < 0 ? -1 : percent / kPlainStep;
    if (!textChanged && tenth == r.reported) return;
    r.reported = tenth;
    std::string plain = r.label;
    plain += ' ';
    if (percent >= 0) plain += std::to_string(percent) + "% ";
    writeTo(out_, plain + text + "\n");
}

void ProgressView::finish() {
    if (terminal_ && !drawn_ && !rows_.empty()) redraw();
}

}  // namespace cradlectl
