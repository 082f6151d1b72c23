// SPDX-License-Identifier: MIT
// The layout table as the Windows front-end makes it: ids that name their rows, pixels at the
// window's real DPI, and the creation order that the dialog manager follows for Tab, access
// keys and arrow keys.

#include "editor/nativelayout/controlids.h"
#include "editor/nativelayout/nativelayout.h"

#include <QTest>

#include <string>

using namespace hueloft;

class tst_NativeLayout : public QObject
{
    Q_OBJECT
private slots:
    void controlIdsNameTheirRows_data();
    void controlIdsNameTheirRows();
    void noIdIsOkOrCancel();
    void twipsToPixels_data();
    void twipsToPixels();
    void pixelsToTwips_data();
    void pixelsToTwips();
    void touchingControlsTouchInPixels_data();
    void touchingControlsTouchInPixels();
    void keyboardOrder();
    void notationsAreOneGroup();
    void framedControlsInClientArea_data();
    void framedControlsInClientArea();
    void aboutBoxFitsItsClientArea();
    void leastScaleThatFits_data();
    void leastScaleThatFits();
};

namespace {

// A font of fixed-width characters: Advance pixels each, Em high; a wrapped text takes as many
// lines of Em as its width needs.
struct FixedFont final : TextMeasure
{
    int advance = 6, em = 11;
    TextNeed need(const ControlLayout &, std::string_view text) const override
    {
        return {int(text.size()) * advance, em};
    }
    int wrappedHeight(const ControlLayout &, std::string_view text, int width) const override
    {
        const int perLine = std::max(1, width / advance);
        return (int(text.size()) + perLine - 1) / perLine * em;
    }
};

bool allFit(std::span<const ControlLayout> table, const std::vector<ShownText> &texts,
            const FixedFont &font, const LayoutScale &scale)
{
    for (const ShownText &shown : texts) {
        const DeviceRect r = clientRect(table, *shown.control, scale);
        const TextNeed need = font.need(*shown.control, shown.text);
        const bool fits = shown.wraps
                              ? font.wrappedHeight(*shown.control, shown.text, r.width) <= r.height
                              : need.width <= r.width && need.height <= r.height;
        if (!fits)
            return false;
    }
    return true;
}

} // namespace

void tst_NativeLayout::controlIdsNameTheirRows_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("name");
    const std::pair<int, const char *> ids[] = {
        {IDC_cpRGB, "cpRGB"},           {IDC_txtRGB, "txtRGB"},
        {IDC_txtHexa, "txtHexa"},       {cpColorId(2), "cpColor2"},
        {hsbColorId(0), "hsbColor0"},   {hsbColorId(1), "hsbColor1"},
        {hsbColorId(2), "hsbColor2"},   {ediColorId(0), "ediColor0"},
        {ediColorId(2), "ediColor2"},   {IDC_cmdCopySample, "cmdCopySample"},
        {IDC_Frame1, "Frame1"},         {optLangId(0), "optLang0"},
        {optLangId(3), "optLang3"},     {txtSwitchId(1), "txtSwitch1"},
        {ediSwatchId(0), "ediSwatch0"}, {ediSwatchId(1), "ediSwatch1"},
        {IDC_chkTop, "chkTop"},         {IDC_cmdExit, "cmdExit"},
        {IDC_pctRGB, "pctRGB"},
    };
    for (const auto &[id, name] : ids)
        QTest::newRow(name) << id << QString::fromLatin1(name);
}

void tst_NativeLayout::controlIdsNameTheirRows()
{
    QFETCH(int, id);
    QFETCH(QString, name);
    const auto table = mainWindowLayout();
    QCOMPARE(int(table.size()), IDC_End - kFirstControlId);
    QCOMPARE(QString::fromLatin1(table[id - kFirstControlId].name), name);
}

void tst_NativeLayout::noIdIsOkOrCancel()
{
    // Enter and Escape reach the main window as IDOK and IDCANCEL: no control may have them.
    for (const NativeControl &control : nativeMainLayout({96, 96})) {
        QVERIFY2(control.id != 1 && control.id != 2, control.layout->name);
    }
}

void tst_NativeLayout::twipsToPixels_data()
{
    QTest::addColumn<int>("twips");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("pixels");
    QTest::newRow("15 twips at 96") << 15 << 96 << 1;
    QTest::newRow("an inch at 96") << 1440 << 96 << 96;
    QTest::newRow("an inch at 144") << 1440 << 144 << 144;
    QTest::newRow("client width at 144") << 4350 << 144 << 435;
    QTest::newRow("client height at 120") << 5280 << 120 << 440;
    QTest::newRow("below a half at 96") << 7 << 96 << 0;
    QTest::newRow("above a half at 96") << 8 << 96 << 1;
    QTest::newRow("negative, below a half") << -7 << 96 << 0;
    QTest::newRow("negative, above a half") << -8 << 96 << -1;
    QTest::newRow("375 at 120 (31.25)") << 375 << 120 << 31;
    QTest::newRow("255 at 168 (29.75)") << 255 << 168 << 30;
}

void tst_NativeLayout::twipsToPixels()
{
    QFETCH(int, twips);
    QFETCH(int, dpi);
    QFETCH(int, pixels);
    QCOMPARE(twipsToDevice(std::int64_t(twips), dpi), pixels);
}

void tst_NativeLayout::pixelsToTwips_data()
{
    QTest::addColumn<qint64>("pixels");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<qint64>("twips");
    QTest::newRow("1 at 96") << qint64(1) << 96 << qint64(15);
    QTest::newRow("1 at 144") << qint64(1) << 144 << qint64(10);
    QTest::newRow("1 at 120") << qint64(1) << 120 << qint64(12);
    QTest::newRow("1 at 168 (8.57)") << qint64(1) << 168 << qint64(9);
    QTest::newRow("minimized place at 96") << qint64(-32000) << 96 << qint64(-480000);
    QTest::newRow("32-bit extreme") << qint64(INT32_MAX) << 96 << qint64(INT32_MAX) * 15;
    QTest::newRow("no DPI") << qint64(100) << 0 << qint64(0);
}

void tst_NativeLayout::pixelsToTwips()
{
    QFETCH(qint64, pixels);
    QFETCH(int, dpi);
    QFETCH(qint64, twips);
    QCOMPARE(qint64(deviceToTwips(pixels, dpi)), twips);
}

void tst_NativeLayout::touchingControlsTouchInPixels_data()
{
    QTest::addColumn<int>("dpi");
    for (int dpi : {96, 120, 144, 168, 192})
        QTest::newRow(std::to_string(dpi).c_str()) << dpi;
}

void tst_NativeLayout::touchingControlsTouchInPixels()
{
    // Rounding sizes instead of edges would open one-pixel gaps or overlaps between controls
    // that meet in twips; every pair in the table must keep its relation in pixels.
    QFETCH(int, dpi);
    const auto controls = nativeMainLayout({dpi, dpi});
    for (const NativeControl &a : controls) {
        for (const NativeControl &b : controls) {
            const int aRight = a.rect.left + a.rect.width;
            const bool touchTwips =
                !a.layout->container && !b.layout->container
                && a.layout->left + a.layout->width == b.layout->left;
            if (touchTwips)
                QVERIFY2(aRight == b.rect.left,
                         qPrintable(QStringLiteral("%1 | %2").arg(a.layout->name, b.layout->name)));
            QVERIFY(a.rect.width > 0 && a.rect.height > 0);
        }
    }
}

void tst_NativeLayout::keyboardOrder()
{
    QStringList order;
    bool framesSeenLast = false;
    const auto controls = nativeMainLayout({96, 96});
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const NativeControl &control = controls[i];
        if (control.layout->kind == ControlKind::Frame) {
            // Bottom of the z-order: they never paint over what they hold.
            QVERIFY2(!framesSeenLast && i < 2, control.layout->name);
            continue;
        }
        framesSeenLast = true;
        if (control.tabStop)
            order << QString::fromLatin1(control.layout->name);
        // An access key of a label moves the focus to the control created next.
        if (QByteArray(control.layout->name).startsWith("txtSwitch")) {
            QVERIFY(i + 1 < controls.size());
            QCOMPARE(QByteArray(controls[i + 1].layout->name),
                     QByteArray("ediSwatch") + QByteArray(control.layout->name).right(1));
        }
    }
    const QStringList expected = {
        "hsbColor0",  "hsbColor1",   "hsbColor2",  "ediColor0",     "ediColor1", "ediColor2",
        "cmdCopyRGB", "cmdCopyHexa", "cmdCopyHTML", "cmdCopySample", "cmdEditColor",
        "cmdAbout",   "cmdExit",     "optLang0",   "ediSwatch0",    "ediSwatch1", "chkTop"};
    QCOMPARE(order, expected);
}

void tst_NativeLayout::notationsAreOneGroup()
{
    // The arrow keys move through the group that starts at a WS_GROUP control and ends before
    // the next one: the four notations, and nothing else.
    const auto controls = nativeMainLayout({96, 96});
    QStringList group;
    bool inGroup = false;
    for (const NativeControl &control : controls) {
        if (control.groupStart)
            inGroup = control.id == optLangId(0);
        if (inGroup)
            group << QString::fromLatin1(control.layout->name);
        if (control.layout->kind != ControlKind::Option && !control.layout->container)
            QVERIFY2(control.groupStart, control.layout->name);
    }
    QCOMPARE(group, QStringList({"optLang0", "optLang1", "optLang2", "optLang3"}));
}

void tst_NativeLayout::framedControlsInClientArea_data()
{
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    // Frame1 at (1920, 2640), Frame2 at (1920, 3600); children add the frame's corner. Sizes
    // come from rounded edges: 3720 + 375 twips end at 409.5 pixels, rounded to 410.
    QTest::newRow("optLang0 at 96") << 96 << optLangId(0) << 136 << 192 << 73 << 13;
    QTest::newRow("optLang3 at 96") << 96 << optLangId(3) << 216 << 212 << 57 << 13;
    QTest::newRow("ediSwatch1 at 144") << 144 << ediSwatchId(1) << 372 << 390 << 38 << 29;
    QTest::newRow("unframed cpRGB at 144") << 144 << int(IDC_cpRGB) << 12 << 12 << 410 << 74;
}

void tst_NativeLayout::framedControlsInClientArea()
{
    QFETCH(int, dpi);
    QFETCH(int, id);
    for (const NativeControl &control : nativeMainLayout({dpi, dpi})) {
        if (control.id != id)
            continue;
        QTEST(control.rect.left, "left");
        QTEST(control.rect.top, "top");
        QTEST(control.rect.width, "width");
        QTEST(control.rect.height, "height");
        return;
    }
    QFAIL("no such control");
}

void tst_NativeLayout::aboutBoxFitsItsClientArea()
{
    bool okSeen = false;
    for (const AboutControl &control : nativeAboutLayout({})) {
        const ControlLayout &c = *control.layout;
        QVERIFY2(c.left + c.width <= kAboutClientWidth, c.name);
        QVERIFY2(c.top + c.height <= kAboutClientHeight, c.name);
        okSeen = okSeen || (std::string(c.name) == "cmdOK" && control.id == 1);
    }
    QVERIFY2(okSeen, "cmdOK must be IDOK, so that Enter and Escape reach it");
    QVERIFY(kAboutLineRight <= kAboutClientWidth);
}

void tst_NativeLayout::leastScaleThatFits_data()
{
    QTest::addColumn<bool>("aboutBox");
    QTest::addColumn<int>("advance");
    QTest::addColumn<int>("em");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<bool>("designHolds");
    QTest::addColumn<int>("largest");
    const int any = kLargestScale;
    QTest::newRow("main, narrow font") << false << 5 << 10 << 96 << true << any;
    QTest::newRow("main, narrow font at 144 DPI") << false << 7 << 15 << 144 << true << any;
    QTest::newRow("main, wide font") << false << 7 << 12 << 96 << false << any;
    QTest::newRow("main, tall font") << false << 5 << 20 << 96 << false << any;
    QTest::newRow("main, wide font at 144 DPI") << false << 10 << 17 << 144 << false << any;
    QTest::newRow("main, beyond any screen") << false << 90 << 12 << 96 << false << any;
    QTest::newRow("main, wide font on a small screen") << false << 7 << 12 << 96 << false
                                                      << 1050;
    QTest::newRow("about, narrow font") << true << 5 << 10 << 96 << true << any;
    QTest::newRow("about, the notice wraps to more lines") << true << 9 << 16 << 96 << false
                                                           << any;
    QTest::newRow("about, the notice on a small screen") << true << 9 << 16 << 96 << false
                                                         << 1100;
}

// The scale is the least at which everything fits: never below the design, one permille less
// would cut a text, and the largest when nothing smaller holds it.
void tst_NativeLayout::leastScaleThatFits()
{
    QFETCH(bool, aboutBox);
    QFETCH(int, dpi);
    FixedFont font;
    QFETCH(int, advance);
    QFETCH(int, em);
    font.advance = advance;
    font.em = em;
    const auto table = aboutBox ? aboutBoxLayout() : mainWindowLayout();
    const std::vector<ShownText> texts =
        aboutBox ? aboutBoxTexts("(c) the owner", "someone@example.org",
                                 std::string(200, 'n'))
                 : mainWindowTexts(font);
    QFETCH(int, largest);
    const LayoutScale scale = fittingScale(table, texts, font, dpi, dpi, largest);
    QCOMPARE(scale.dpiX, dpi);
    QFETCH(bool, designHolds);
    QCOMPARE(scale.permille == kDesignScale, designHolds);
    QVERIFY(scale.permille >= kDesignScale && scale.permille <= largest);
    if (scale.permille < largest)
        QVERIFY(allFit(table, texts, font, scale));
    else
        QVERIFY(!allFit(table, texts, font, {dpi, dpi, largest - 1}));
    if (scale.permille > kDesignScale)
        QVERIFY(!allFit(table, texts, font, {dpi, dpi, scale.permille - 1}));
}

QTEST_GUILESS_MAIN(tst_NativeLayout)
#include "tst_nativelayout.moc"
