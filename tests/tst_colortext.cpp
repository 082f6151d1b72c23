// SPDX-License-Identifier: MIT
// The widget-free colour logic: texts, splitting, number reading, key filter, centring.

#include "editor/color/colorparse.h"
#include "editor/color/colortext.h"
#include "editor/color/colorvalue.h"
#include "editor/color/keyfilter.h"
#include "editor/color/numbertext.h"
#include "editor/color/samplesize.h"
#include "editor/core/commandline.h"
#include "editor/core/twips.h"

#include <QtTest>

using namespace hueloft;

class tst_ColorText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void notations_data();
    void notations();
    void rgbMacro();
    void readColor_data();
    void readColor();
    void everyNotationReadsBack_data();
    void everyNotationReadsBack();
    void commandLine_data();
    void commandLine();
    void splitColor_data();
    void splitColor();
    void leadingNumber_data();
    void leadingNumber();
    void keyFilter_data();
    void keyFilter();
    void sampleSide_data();
    void sampleSide();
    void centring_data();
    void centring();
    void twips_data();
    void twips();
};

void tst_ColorText::notations_data()
{
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("blue");
    QTest::addColumn<QStringList>("captions"); // notations 0, 1, 2, 3 and 7
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("html");

    QTest::newRow("black") << 0 << 0 << 0
        << QStringList{"0x00000000", "$00000000", "&&H00000000&&", "00000000H", "00000000"}
        << QStringList{"0x00000000", "$00000000", "&H00000000&", "00000000H", "00000000"}
        << "\"#000000\"";
    QTest::newRow("white") << 255 << 255 << 255
        << QStringList{"0x00FFFFFF", "$00FFFFFF", "&&H00FFFFFF&&", "00FFFFFFH", "00FFFFFF"}
        << QStringList{"0x00FFFFFF", "$00FFFFFF", "&H00FFFFFF&", "00FFFFFFH", "00FFFFFF"}
        << "\"#FFFFFF\"";
    QTest::newRow("pure red") << 255 << 0 << 0
        << QStringList{"0x000000FF", "$000000FF", "&&H000000FF&&", "000000FFH", "000000FF"}
        << QStringList{"0x000000FF", "$000000FF", "&H000000FF&", "000000FFH", "000000FF"}
        << "\"#FF0000\"";
    QTest::newRow("pure blue") << 0 << 0 << 255
        << QStringList{"0x00FF0000", "$00FF0000", "&&H00FF0000&&", "00FF0000H", "00FF0000"}
        << QStringList{"0x00FF0000", "$00FF0000", "&H00FF0000&", "00FF0000H", "00FF0000"}
        << "\"#0000FF\"";
    QTest::newRow("orange") << 255 << 128 << 0
        << QStringList{"0x000080FF", "$000080FF", "&&H000080FF&&", "000080FFH", "000080FF"}
        << QStringList{"0x000080FF", "$000080FF", "&H000080FF&", "000080FFH", "000080FF"}
        << "\"#FF8000\"";
    QTest::newRow("low digits") << 1 << 2 << 3
        << QStringList{"0x00030201", "$00030201", "&&H00030201&&", "00030201H", "00030201"}
        << QStringList{"0x00030201", "$00030201", "&H00030201&", "00030201H", "00030201"}
        << "\"#010203\"";
}

void tst_ColorText::notations()
{
    QFETCH(int, red);
    QFETCH(int, green);
    QFETCH(int, blue);
    QFETCH(QStringList, captions);
    QFETCH(QStringList, shown);
    QFETCH(QString, html);

    const ColorValue color = composeColor(red, green, blue);
    const int notations[] = {0, 1, 2, 3, 7};
    for (int i = 0; i < 5; ++i) {
        const std::string caption = hexaCaption(color, notations[i]);
        QCOMPARE(QString::fromStdString(caption), captions[i]);
        QCOMPARE(QString::fromStdString(captionDisplayText(caption)), shown[i]);
        // What is copied is what the label shows.
        QCOMPARE(QString::fromStdString(hexaCopyText(caption, notations[i])), shown[i]);
    }
    const std::string htmlColor = htmlText(color);
    QCOMPARE(QString::fromStdString(htmlColor), html);
    QCOMPARE(htmlColor.size(), std::size_t(9));
}

void tst_ColorText::rgbMacro()
{
    QCOMPARE(QString::fromStdString(rgbMacroText("255", "128", "0")), QString("RGB(255, 128, 0)"));
    // The boxes' texts are taken as they stand, even mid-typing.
    QCOMPARE(QString::fromStdString(rgbMacroText("", "007", "1")), QString("RGB(, 007, 1)"));
}

void tst_ColorText::readColor_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("color"); // -1: no colour

    const int orange = 0x4080FF; // red 255, green 128, blue 64
    // As the copy commands write it.
    QTest::newRow("RGB macro") << QByteArray("RGB(255, 128, 64)") << orange;
    QTest::newRow("C") << QByteArray("0x004080FF") << orange;
    QTest::newRow("Pascal") << QByteArray("$004080FF") << orange;
    QTest::newRow("Basic") << QByteArray("&H004080FF&") << orange;
    QTest::newRow("Asm") << QByteArray("004080FFH") << orange;
    QTest::newRow("HTML, quoted") << QByteArray("\"#FF8040\"") << orange;
    // Low digits: a byte order turned round would give 0x010203.
    QTest::newRow("C, 1 2 3") << QByteArray("0x00030201") << 0x030201;
    QTest::newRow("HTML, 1 2 3") << QByteArray("\"#010203\"") << 0x030201;
    // Brought from elsewhere, any letter case, blanks around.
    QTest::newRow("#rrggbb lower") << QByteArray("#ff8040") << orange;
    QTest::newRow("#rgb") << QByteArray("#f84") << 0x4488FF;
    QTest::newRow("css rgb()") << QByteArray("rgb(255,128,64)") << orange;
    QTest::newRow("css rgb() blanks only") << QByteArray("rgb( 255 128 64 )") << orange;
    QTest::newRow("macro, blank before the bracket") << QByteArray("RGB (1, 2, 3)") << 0x030201;
    QTest::newRow("commas") << QByteArray("255,128,64") << orange;
    QTest::newRow("blanks") << QByteArray("255 128 64") << orange;
    QTest::newRow("tabs and a line end") << QByteArray("\t255\t128 ,\t64\r\n") << orange;
    QTest::newRow("leading zeros") << QByteArray("007, 000, 255") << 0xFF0007;
    QTest::newRow("lower c, 0X") << QByteArray("0X004080ff") << orange;
    QTest::newRow("Basic lower, no trailing &") << QByteArray("&h4080ff") << orange;
    QTest::newRow("Asm lower, short") << QByteArray("0ffh") << 0xFF;
    QTest::newRow("single quotes") << QByteArray("'#FF8040'") << orange;
    QTest::newRow("quoted list") << QByteArray(" \" 1 2 3 \" ") << 0x030201;
    QTest::newRow("white") << QByteArray("0x00FFFFFF") << 0xFFFFFF;
    QTest::newRow("black") << QByteArray("#000") << 0;
    // No colour.
    QTest::newRow("empty") << QByteArray("") << -1;
    QTest::newRow("blanks only") << QByteArray("  \n") << -1;
    QTest::newRow("lone number") << QByteArray("128") << -1;
    QTest::newRow("two numbers") << QByteArray("1, 2") << -1;
    QTest::newRow("four numbers") << QByteArray("1, 2, 3, 4") << -1;
    QTest::newRow("channel above 255") << QByteArray("RGB(256, 0, 0)") << -1;
    QTest::newRow("long digit run") << QByteArray("1, 2, 99999999999999999999") << -1;
    QTest::newRow("negative") << QByteArray("-1, 2, 3") << -1;
    QTest::newRow("fraction") << QByteArray("1.5, 2, 3") << -1;
    QTest::newRow("doubled comma") << QByteArray("1,,2,3") << -1;
    QTest::newRow("no separator") << QByteArray("rgb(1 2,3") << -1;
    QTest::newRow("high byte") << QByteArray("0x014080FF") << -1;
    QTest::newRow("nine digits") << QByteArray("$0004080FF") << -1;
    QTest::newRow("bare prefix") << QByteArray("0x") << -1;
    QTest::newRow("bare Basic") << QByteArray("&H&") << -1;
    QTest::newRow("not hexadecimal") << QByteArray("0x00GG00FF") << -1;
    QTest::newRow("four web digits") << QByteArray("#FF80") << -1;
    QTest::newRow("web colour with alpha") << QByteArray("#FF804080") << -1;
    QTest::newRow("web digits without #") << QByteArray("FF8040") << -1;
    QTest::newRow("text after") << QByteArray("#FF8040; color") << -1;
    QTest::newRow("unmatched quote") << QByteArray("\"#FF8040") << -1;
    QTest::newRow("rgba") << QByteArray("rgba(1, 2, 3, 4)") << -1;
    QTest::newRow("macro without bracket") << QByteArray("RGB 1, 2, 3") << -1;
    QTest::newRow("word") << QByteArray("orange") << -1;
    QTest::newRow("arabic-indic digits") << QByteArray("\xd9\xa1, \xd9\xa2, \xd9\xa3") << -1;
    QTest::newRow("fullwidth #") << QByteArray("\xef\xbc\x83" "FF8040") << -1;
    QTest::newRow("embedded NUL") << QByteArray("#FF8040\0", 8) << -1;
}

void tst_ColorText::readColor()
{
    QFETCH(QByteArray, text);
    QFETCH(int, color);
    const std::optional<ColorValue> read =
        readColorText(std::string_view(text.constData(), std::size_t(text.size())));
    QCOMPARE(read.has_value(), color >= 0);
    if (read)
        QCOMPARE(*read, ColorValue(color));
}

void tst_ColorText::everyNotationReadsBack_data()
{
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("blue");
    QTest::addColumn<QString>("lines");
    QTest::newRow("255,128,64") << 255 << 128 << 64
        << "RGB(255, 128, 64)|0x004080FF|$004080FF|&H004080FF&|004080FFH|\"#FF8040\"|";
    QTest::newRow("1,2,3") << 1 << 2 << 3
        << "RGB(1, 2, 3)|0x00030201|$00030201|&H00030201&|00030201H|\"#010203\"|";
    QTest::newRow("black") << 0 << 0 << 0
        << "RGB(0, 0, 0)|0x00000000|$00000000|&H00000000&|00000000H|\"#000000\"|";
    QTest::newRow("white") << 255 << 255 << 255
        << "RGB(255, 255, 255)|0x00FFFFFF|$00FFFFFF|&H00FFFFFF&|00FFFFFFH|\"#FFFFFF\"|";
}

// The conversion's lines, each read back as the colour it came from.
void tst_ColorText::everyNotationReadsBack()
{
    QFETCH(int, red);
    QFETCH(int, green);
    QFETCH(int, blue);
    QFETCH(QString, lines);
    const ColorValue color = composeColor(red, green, blue);
    const QString text = QString::fromStdString(everyNotation(color));
    QCOMPARE(QString(text).replace(u'\n', u'|'), lines);
    const QStringList each = text.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(each.size(), 6);
    for (const QString &line : each) {
        const std::optional<ColorValue> read = readColorText(line.toStdString());
        QVERIFY2(read.has_value(), qPrintable(line));
        QCOMPARE(*read, color);
    }
}

void tst_ColorText::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("action");
    QTest::addColumn<int>("color"); // -1: none
    QTest::addColumn<QString>("error"); // a text the error line holds

    const int run = int(CommandLine::Action::Run), help = int(CommandLine::Action::Help),
              version = int(CommandLine::Action::Version),
              convert = int(CommandLine::Action::Convert), error = int(CommandLine::Action::Error);
    QTest::newRow("nothing") << QStringList{} << run << -1 << "";
    QTest::newRow("start colour") << QStringList{"#102030"} << run << 0x302010 << "";
    QTest::newRow("start colour after --") << QStringList{"--", "1 2 3"} << run << 0x030201 << "";
    QTest::newRow("start colour, toolkit option")
        << QStringList{"-style", "fusion", "RGB(1, 2, 3)", "-reverse"} << run << 0x030201 << "";
    QTest::newRow("convert") << QStringList{"--convert", "$004080FF"} << convert << 0x4080FF << "";
    QTest::newRow("convert=") << QStringList{"--convert=255,128,64"} << convert << 0x4080FF << "";
    QTest::newRow("convert wins over a later help")
        << QStringList{"--convert", "#fff", "--help"} << convert << 0xFFFFFF << "";
    QTest::newRow("help after a start colour") << QStringList{"#fff", "-h"} << help << -1 << "";
    QTest::newRow("version") << QStringList{"--version"} << version << -1 << "";
    QTest::newRow("convert without colour") << QStringList{"--convert"} << error << -1
                                            << "'--convert' needs a colour";
    QTest::newRow("convert of no colour") << QStringList{"--convert", "300, 0, 0"} << error << -1
                                          << "not a colour: '300, 0, 0'";
    QTest::newRow("convert= of nothing") << QStringList{"--convert="} << error << -1
                                         << "not a colour: ''";
    QTest::newRow("line end and escape in a bad colour")
        << QStringList{"--convert", "1\n2\x1b[2J"} << error << -1 << "not a colour: '1?2?[2J'";
    QTest::newRow("8-bit escape in a bad colour")
        << QStringList{"--convert", QString(QChar(0x9B)) + "2J\u00e9"} << error << -1
        << "not a colour: '?2J\u00e9'";
    QTest::newRow("bad start colour before help") << QStringList{"colours.txt", "--help"}
                                                  << error << -1 << "'colours.txt'";
    QTest::newRow("two colours") << QStringList{"#fff", "#000"} << error << -1
                                 << "one colour, not also '#000'";
    QTest::newRow("toolkit option unknown here") << QStringList{"-style", "fusion"} << error
                                                 << -1 << "unknown option '-style'";
    QTest::newRow("single-dash convert") << QStringList{"-convert", "#fff"} << error << -1
                                         << "unknown option '-convert'";
}

// Without a toolkit's options, as the Windows program reads its command line.
void tst_ColorText::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, action);
    QFETCH(int, color);
    QFETCH(QString, error);

    static constexpr std::string_view withValue[] = {"style"};
    static constexpr std::string_view flags[] = {"reverse"};
    const bool toolkit = QTest::currentDataTag() == QByteArray("start colour, toolkit option");
    std::vector<std::string> words = {"hueloft"};
    for (const QString &argument : arguments)
        words.push_back(argument.toStdString());
    std::vector<const char *> argv;
    for (const std::string &word : words)
        argv.push_back(word.c_str());
    const CommandLine read =
        readCommandLine(int(argv.size()), argv.data(),
                        toolkit ? ToolkitOptions{withValue, flags, {}} : ToolkitOptions{});
    QCOMPARE(int(read.action), action);
    QCOMPARE(read.color.has_value(), color >= 0);
    if (read.color)
        QCOMPARE(*read.color, ColorValue(color));
    if (error.isEmpty()) {
        QVERIFY(read.error.empty());
    } else {
        QVERIFY2(QString::fromStdString(read.error).contains(error), read.error.c_str());
        QVERIFY(read.error.starts_with("hueloft: "));
        QVERIFY(read.error.find('\n') == std::string::npos);
    }
}

void tst_ColorText::splitColor_data()
{
    QTest::addColumn<quint32>("color");
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("blue");
    QTest::newRow("0x00C08040") << quint32(0x00C08040) << 64 << 128 << 192;
    QTest::newRow("zero") << quint32(0) << 0 << 0 << 0;
    QTest::newRow("white") << quint32(0x00FFFFFF) << 255 << 255 << 255;
    QTest::newRow("orange") << quint32(0x000080FF) << 255 << 128 << 0;
    // A high byte never makes a channel negative or larger than 255.
    QTest::newRow("high byte") << quint32(0xFF0000FF) << 255 << 0 << 0;
    QTest::newRow("all bits") << quint32(0xFFFFFFFF) << 255 << 255 << 255;
}

void tst_ColorText::splitColor()
{
    QFETCH(quint32, color);
    QFETCH(int, red);
    QFETCH(int, green);
    QFETCH(int, blue);
    int r = -1, g = -1, b = -1;
    SplitColor(color, r, g, b);
    QCOMPARE(r, red);
    QCOMPARE(g, green);
    QCOMPARE(b, blue);
    if (color <= 0x00FFFFFF)
        QCOMPARE(composeColor(r, g, b), color);
}

void tst_ColorText::leadingNumber_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("empty") << QByteArray("") << 0;
    QTest::newRow("leading zeros") << QByteArray("007") << 7;
    QTest::newRow("above channel") << QByteArray("300") << 300;
    QTest::newRow("digits then letters") << QByteArray("12abc") << 12;
    QTest::newRow("leading blank") << QByteArray(" 12") << 0;
    QTest::newRow("minus") << QByteArray("-5") << 0;
    QTest::newRow("plus") << QByteArray("+5") << 0;
    QTest::newRow("fraction") << QByteArray("1.9") << 1;
    QTest::newRow("letters") << QByteArray("abc") << 0;
    QTest::newRow("arabic-indic three") << QByteArray("\xd9\xa3") << 0;
    QTest::newRow("fullwidth one") << QByteArray("\xef\xbc\x91") << 0;
    QTest::newRow("control char") << QByteArray("\x16" "5") << 0;
    QTest::newRow("16-bit max") << QByteArray("32767") << 32767;
    QTest::newRow("just above 16 bits") << QByteArray("32768") << 32767;
    QTest::newRow("long run") << QByteArray("99999999999999999999999") << 32767;
    QTest::newRow("zeros then digits") << QByteArray("0000000000000000000000255") << 255;
}

void tst_ColorText::leadingNumber()
{
    QFETCH(QByteArray, text);
    QFETCH(int, value);
    QCOMPARE(int(readLeadingNumber(std::string_view(text.constData(), text.size()))), value);
}

void tst_ColorText::keyFilter_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("channelAction");
    QTest::addColumn<int>("sampleAction");
    const int pass = int(KeyAction::Pass), drop = int(KeyAction::Discard),
              commit = int(KeyAction::Commit);
    QTest::newRow("0") << int('0') << pass << pass;
    QTest::newRow("9") << int('9') << pass << pass;
    QTest::newRow("backspace") << 8 << pass << pass;
    QTest::newRow("enter") << 13 << commit << drop;
    QTest::newRow("slash, below 0") << int('/') << drop << drop;
    QTest::newRow("colon, above 9") << int(':') << drop << drop;
    QTest::newRow("minus") << int('-') << drop << drop;
    QTest::newRow("blank") << int(' ') << drop << drop;
    QTest::newRow("point") << int('.') << drop << drop;
    QTest::newRow("letter") << int('a') << drop << drop;
    QTest::newRow("ctrl+c") << 3 << drop << drop;
    QTest::newRow("ctrl+v") << 22 << drop << drop;
    QTest::newRow("ctrl+x") << 24 << drop << drop;
    QTest::newRow("tab char") << 9 << drop << drop;
    QTest::newRow("arabic-indic digit") << 0x663 << drop << drop;
}

void tst_ColorText::keyFilter()
{
    QFETCH(int, code);
    QFETCH(int, channelAction);
    QFETCH(int, sampleAction);
    QCOMPARE(int(channelBoxKey(code)), channelAction);
    QCOMPARE(int(sampleBoxKey(code)), sampleAction);
}

void tst_ColorText::sampleSide_data()
{
    QTest::addColumn<int>("typed");
    QTest::addColumn<int>("side");
    QTest::newRow("empty reads 0") << 0 << 8;
    QTest::newRow("7") << 7 << 8;
    QTest::newRow("8") << 8 << 8;
    QTest::newRow("64") << 64 << 64;
    QTest::newRow("256") << 256 << 256;
    QTest::newRow("257") << 257 << 256;
    QTest::newRow("999") << 999 << 256;
    QTest::newRow("negative") << -32768 << 8;
}

void tst_ColorText::sampleSide()
{
    QFETCH(int, typed);
    QFETCH(int, side);
    QCOMPARE(clampSampleSide(typed), side);
}

void tst_ColorText::centring_data()
{
    QTest::addColumn<qint64>("outer");
    QTest::addColumn<qint64>("inner");
    QTest::addColumn<qint64>("offset");
    QTest::newRow("even") << qint64(1000) << qint64(400) << qint64(300);
    QTest::newRow("half to even, down") << qint64(1005) << qint64(0) << qint64(502);
    QTest::newRow("half to even, up") << qint64(1007) << qint64(0) << qint64(504);
    QTest::newRow("negative half, down") << qint64(0) << qint64(5) << qint64(-2);
    QTest::newRow("negative half, up") << qint64(0) << qint64(7) << qint64(-4);
    QTest::newRow("window larger than screen") << qint64(300) << qint64(900) << qint64(-300);
}

void tst_ColorText::centring()
{
    QFETCH(qint64, outer);
    QFETCH(qint64, inner);
    QFETCH(qint64, offset);
    QCOMPARE(centredOffset(outer, inner), offset);
}

void tst_ColorText::twips_data()
{
    QTest::addColumn<int>("twips");
    QTest::addColumn<int>("pixels");
    QTest::newRow("client width") << 4350 << 290;
    QTest::newRow("zero") << 0 << 0;
    QTest::newRow("just below half") << 22 << 1;
    QTest::newRow("just above") << 23 << 2;
    QTest::newRow("negative") << -150 << -10;
    QTest::newRow("negative, rounded") << -23 << -2;
    QTest::newRow("largest stored") << INT32_MAX << 143165576;
    QTest::newRow("smallest stored") << INT32_MIN << -143165577;
}

void tst_ColorText::twips()
{
    QFETCH(int, twips);
    QFETCH(int, pixels);
    QCOMPARE(twipsToPixels(twips), pixels);
    if (twips % kTwipsPerPixel == 0)
        QCOMPARE(pixelsToTwips(pixels), twips);
}

QTEST_GUILESS_MAIN(tst_ColorText)
#include "tst_colortext.moc"
