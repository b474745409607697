// The test-pattern window with its control bar shown.
#include "screenshot.h"
#include "ui/patterns/test_pattern_drawing.h"
#include "ui/patterns/tw_test_pattern_dialog.h"
#include "ui/patterns/tw_test_pattern_widget.h"

namespace {

QWidget* pattern_shot(int pattern, QSize size) {
    auto* dialog = new tw_test_pattern_dialog();
    dialog->resize(size);
    dialog->move(0, 0);
    dialog->enable_controls(true);
    dialog->enable_close_control(true);
    dialog->SetTestPattern(pattern);
    dialog->show();
    dialog->pattern_widget()->reset_timer();
    return dialog;
}

}  // namespace

ORVALE_SCREENSHOT("tg18_qc", [] {
    return pattern_shot(test_patterns::kTg18Pattern, {1280, 1100});
});
ORVALE_SCREENSHOT("wedges", [] {
    return pattern_shot(test_patterns::kColorWedgesPattern, {1280, 720});
});
ORVALE_SCREENSHOT("black_quality_control", [] {
    return pattern_shot(test_patterns::kBlackQualityPattern, {1280, 720});
});
ORVALE_SCREENSHOT("white_quality_control", [] {
    return pattern_shot(test_patterns::kWhiteQualityPattern, {1280, 720});
});
