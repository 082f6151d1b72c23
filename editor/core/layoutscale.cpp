// SPDX-License-Identifier: MIT
#include "editor/core/layoutscale.h"

#include "editor/color/colortext.h"

#include <algorithm>
#include <string_view>

namespace hueloft {

namespace {

constexpr std::int64_t kTwipsPerInch = 1440;

std::int64_t roundedDivision(std::int64_t numerator, std::int64_t denominator)
{
    const std::int64_t half = denominator / 2;
    return numerator >= 0 ? (numerator + half) / denominator
                          : -((-numerator + half) / denominator);
}

// The widths of the hexadecimal digits 0-9, A-F in Control's font, measured once each.
struct DigitWidths
{
    DigitWidths(const TextMeasure &measure, const ControlLayout &control, int count)
    {
        for (int i = 0; i < count; ++i)
            widths[i] = measure.need(control, std::string_view(&kDigits[i], 1)).width;
    }
    // The widest of the first Count digits; the first of equals.
    char widest(int count) const
    {
        return kDigits[std::max_element(widths, widths + count) - widths];
    }

    static constexpr char kDigits[] = "0123456789ABCDEF";
    int widths[16] = {};
};

// The widest of the texts 0 to 255 that a channel shows: the hundreds are 1 or 2, and after
// "2" the tens run to 5 only, and after "25" the units.
std::string widestChannel(const TextMeasure &measure, const ControlLayout &control)
{
    const DigitWidths digits(measure, control, 10);
    const char any = digits.widest(10);
    const std::string candidates[] = {
        std::string{'1', any, any},
        std::string{'2', digits.widest(5), any},
        std::string{'2', '5', digits.widest(6)},
    };
    std::string widest;
    int widestWidth = -1;
    for (const std::string &candidate : candidates) {
        const int width = measure.need(control, candidate).width;
        if (width > widestWidth) {
            widest = candidate;
            widestWidth = width;
        }
    }
    return widest;
}

const ControlLayout *containerOf(std::span<const ControlLayout> table, const ControlLayout &control)
{
    if (!control.container)
        return nullptr;
    const auto frame = std::find_if(table.begin(), table.end(), [&](const ControlLayout &c) {
        return std::string_view(c.name) == control.container;
    });
    return frame == table.end() ? nullptr : &*frame;
}

// The least permille at which Pixels would fit where the design gives Room pixels, before
// rounding.
int leastScale(int pixels, int room)
{
    if (room <= 0)
        return kDesignScale;
    const std::int64_t permille = (std::int64_t(pixels) * kDesignScale + room - 1) / room;
    return int(std::clamp<std::int64_t>(permille, kDesignScale, kLargestScale));
}

} // namespace

int twipsToDevice(std::int64_t twips, int dpi, int permille)
{
    return static_cast<int>(
        roundedDivision(twips * dpi * permille, kTwipsPerInch * kDesignScale));
}

std::int64_t deviceToTwips(std::int64_t pixels, int dpi)
{
    return dpi > 0 ? roundedDivision(pixels * kTwipsPerInch, dpi) : 0;
}

DeviceRect twipsToDevice(int left, int top, int width, int height, const LayoutScale &scale)
{
    DeviceRect rect;
    rect.left = twipsToDevice(left, scale.dpiX, scale.permille);
    rect.top = twipsToDevice(top, scale.dpiY, scale.permille);
    rect.width = twipsToDevice(std::int64_t(left) + width, scale.dpiX, scale.permille) - rect.left;
    rect.height = twipsToDevice(std::int64_t(top) + height, scale.dpiY, scale.permille) - rect.top;
    return rect;
}

DeviceRect clientRect(std::span<const ControlLayout> table, const ControlLayout &control,
                      const LayoutScale &scale)
{
    // A caption label reaches to the next control on its row: the table draws "&Height" a few
    // twips wider than its text in the font it was designed at, and Tahoma needs the gap.
    int width = control.width;
    if (control.kind == ControlKind::Label && (!control.text || *control.text)) {
        const std::string_view container = control.container ? control.container : "";
        int next = -1;
        for (const ControlLayout &other : table) {
            const bool sameRow = other.top < control.top + control.height
                                 && control.top < other.top + other.height
                                 && container == (other.container ? other.container : "");
            if (sameRow && other.kind != ControlKind::Frame
                && other.left >= control.left + control.width
                && (next < 0 || other.left < next))
                next = other.left;
        }
        if (next >= 0)
            width = next - control.left;
    }
    int left = control.left;
    int top = control.top;
    if (const ControlLayout *frame = containerOf(table, control)) {
        left += frame->left;
        top += frame->top;
    }
    return twipsToDevice(left, top, width, control.height, scale);
}

std::vector<ShownText> mainWindowTexts(const TextMeasure &measure)
{
    std::vector<ShownText> texts;
    // The five boxes share one font: the widest digit is looked for once.
    char boxDigit = 0;
    for (const ControlLayout &control : mainWindowLayout()) {
        const std::string_view name = control.name;
        switch (control.kind) {
        case ControlKind::Button:
        case ControlKind::Option:
        case ControlKind::CheckBox:
        case ControlKind::Frame:
            texts.push_back({&control, captionDisplayText(control.text)});
            break;
        case ControlKind::TextBox: {
            // A channel box holds at most 255. A size box takes three typed digits, but shows
            // what the settings file gave it, unclamped until the next copy: four digits keep a
            // stored 1000 whole. The caret after the last digit is the measure's to add.
            if (name.starts_with("ediColor")) {
                texts.push_back({&control, widestChannel(measure, control)});
                break;
            }
            if (!boxDigit)
                boxDigit = DigitWidths(measure, control, 10).widest(10);
            texts.push_back({&control, std::string(kSampleBoxDigits, boxDigit)});
            break;
        }
        case ControlKind::Label:
            if (name == "txtRGB") {
                const std::string value = widestChannel(measure, control);
                texts.push_back({&control, rgbMacroText(value, value, value)});
            } else if (name == "txtHexa") {
                const char widest = DigitWidths(measure, control, 16).widest(16);
                const ColorValue color =
                    ColorValue(std::string_view(DigitWidths::kDigits).find(widest)) * 0x111111;
                for (int notation = NotationC; notation <= NotationAsm; ++notation)
                    texts.push_back({&control, captionDisplayText(hexaCaption(color, notation))});
            } else if (*control.text) {
                texts.push_back({&control, captionDisplayText(control.text)});
            }
            break;
        case ControlKind::ScrollBar:
        case ControlKind::Picture:
            break;
        }
    }
    return texts;
}

std::vector<ShownText> aboutBoxTexts(std::string_view rights, std::string_view contact,
                                     std::string_view notice, AboutHeading heading)
{
    std::vector<ShownText> texts;
    for (const ControlLayout &control : aboutBoxLayout()) {
        const std::string_view name = control.name;
        if (name == "Label11")
            texts.push_back({&control, std::string(rights)});
        else if (name == "Label13")
            texts.push_back({&control, std::string(contact)});
        else if (name == "Label20")
            texts.push_back({&control, std::string(notice), true});
        else if (name == "Label10" && !heading.title.empty())
            texts.push_back({&control, std::string(heading.title)});
        else if (name == "Label12" && !heading.version.empty())
            texts.push_back({&control, std::string(heading.version)});
        else if (control.kind != ControlKind::Picture)
            texts.push_back({&control, control.text});
    }
    return texts;
}

int largestScaleOnScreen(int width, int height, int frameWidth, int frameHeight,
                         int availableWidth, int availableHeight, int dpiX, int dpiY)
{
    const DeviceRect design = clientArea(width, height, {dpiX, dpiY, kDesignScale});
    const auto most = [](std::int64_t room, int designed) {
        return designed > 0 ? room * kDesignScale / designed : std::int64_t(kLargestScale);
    };
    const std::int64_t permille = std::min(most(std::int64_t(availableWidth) - frameWidth,
                                                design.width),
                                           most(std::int64_t(availableHeight) - frameHeight,
                                                design.height));
    return int(std::clamp<std::int64_t>(permille, kDesignScale, kLargestScale));
}

LayoutScale fittingScale(std::span<const ControlLayout> table, std::span<const ShownText> texts,
                         const TextMeasure &measure, int dpiX, int dpiY, int largest)
{
    largest = std::clamp(largest, kDesignScale, kLargestScale);
    // Every rounded width lies within a pixel of the exact one, which grows in proportion to
    // the scale: below LowerBound no text that needs more than its design width can fit.
    std::vector<TextNeed> needs;
    needs.reserve(texts.size());
    int lowerBound = kDesignScale;
    for (const ShownText &shown : texts) {
        needs.push_back(shown.wraps ? TextNeed{} : measure.need(*shown.control, shown.text));
        const DeviceRect design = clientRect(table, *shown.control, {dpiX, dpiY, kDesignScale});
        lowerBound = std::min(largest, std::max({lowerBound,
                                                 leastScale(needs.back().width - 1, design.width + 1),
                                                 leastScale(needs.back().height - 1, design.height + 1)}));
    }
    const auto fitsAt = [&](int permille, bool wrapped) {
        const LayoutScale candidate{dpiX, dpiY, permille};
        for (std::size_t i = 0; i < texts.size(); ++i) {
            if (texts[i].wraps != wrapped)
                continue;
            const DeviceRect r = clientRect(table, *texts[i].control, candidate);
            if (wrapped ? measure.wrappedHeight(*texts[i].control, texts[i].text, r.width)
                              > r.height
                        : needs[i].width > r.width || needs[i].height > r.height)
                return false;
        }
        return true;
    };

    // The single-line texts: a few permille from the bound at most, one by one.
    int permille = lowerBound;
    while (permille < largest && !fitsAt(permille, false))
        ++permille;
    if (permille >= largest || fitsAt(permille, true))
        return {dpiX, dpiY, permille};
    // A wrapped text's lines depend on the width it gets: halve the range to one that holds
    // it, then step down while a smaller scale still holds everything.
    int low = permille + 1, high = largest;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (fitsAt(middle, true) && fitsAt(middle, false))
            high = middle;
        else
            low = middle + 1;
    }
    while (low > permille + 1 && fitsAt(low - 1, true) && fitsAt(low - 1, false))
        --low;
    return {dpiX, dpiY, low};
}

} // namespace hueloft
