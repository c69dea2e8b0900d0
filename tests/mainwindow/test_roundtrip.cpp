// SPDX-License-Identifier: MIT
// The command string the main window writes is read back by the record engine as the same
// definition: random field lists and settings put into the real window, written with
// BuildCommandString and parsed with TVxRndParser, give back every field and setting and
// the same argument count.
#include "engine/CommandLanguage.h"
#include "mainwindow/MainWindow.h"
#include "platform/Latin1.h"
#include "widgets/RadioGroup.h"

#include <QLineEdit>
#include <QTest>
#include <cstdio>
#include <random>
#include <sstream>

namespace {

/// One random definition as the window holds it.
struct TCase {
    std::vector<TFieldDef> Fields;
    std::int32_t RecordCount = 0;
    std::string Charset;
    int EndOfLine = 0;
    std::string FileName;
};

/// text with every byte outside printable ASCII, and the backslash, as \xNN.
std::string Escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 32 || code > 126 || c == '\\') {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", code);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

std::string Describe(const TCase& c, const std::string& cmd) {
    std::ostringstream out;
    out << "count " << c.RecordCount << ", charset \"" << Escaped(c.Charset) << "\", eol "
        << c.EndOfLine << ", file \"" << Escaped(c.FileName) << "\", " << c.Fields.size()
        << " fields:";
    for (const TFieldDef& f : c.Fields)
        out << "\n  " << CaptionOfTextType(f.TextType) << " | " << f.Size << " | \""
            << Escaped(f.Str) << "\"";
    out << "\ncommand string: " << Escaped(cmd);
    return out.str();
}

/// Draws the random definitions; a fixed seed makes every failure reproducible.
class TCaseMaker {
public:
    explicit TCaseMaker(std::uint32_t seed) : FRandom(seed) {}

    TCase Make(int fieldCount) {
        TCase c;
        for (int i = 0; i < fieldCount; ++i)
            c.Fields.push_back(Field());
        c.RecordCount = Between(0, 9999999);
        c.Charset = Chance(4) ? std::string() : Text(Between(1, 30), 33, 255);
        c.EndOfLine = Between(0, 2);
        c.FileName = FileName();
        return c;
    }

private:
    int Between(int low, int high) { return std::uniform_int_distribution(low, high)(FRandom); }
    bool Chance(int oneIn) { return Between(1, oneIn) == 1; }

    std::string Text(int length, int lowCode, int highCode) {
        std::string text;
        for (int i = 0; i < length; ++i)
            text.push_back(static_cast<char>(Between(lowCode, highCode)));
        return text;
    }

    TFieldDef Field() {
        // Every field type of the menu, the editing commands left out.
        std::vector<TTextType> types;
        for (const TTextTypeOpt& opt : TextTypeOpts)
            if (!opt.Arg.empty())
                types.push_back(opt.TextType);
        TFieldDef f;
        f.TextType = types[Between(0, int(types.size()) - 1)];
        switch (f.TextType) {
        case ttDate:
            f.Size = Between(1, 9999);
            f.Str = std::to_string(Between(1, 9999));
            break;
        case ttFixed:
        case ttRandomString:
            f.Size = Between(0, 99999);
            // Now and then longer than a switch value of old could hold once coded.
            f.Str = Text(Chance(10) ? Between(64, 400) : Between(1, 20), 1, 255);
            break;
        case ttCounter:
        case ttRange:
        case ttList:
        case ttFileLine:
            ValueField(f);
            break;
        default:
            f.Size = Between(0, 99999);
            break;
        }
        return f;
    }

    /// A value field with a string it accepts, 0 or a width that every value fits.
    void ValueField(TFieldDef& f) {
        f.Size = Chance(2) ? 0 : Between(24, 99999);
        switch (f.TextType) {
        case ttCounter:
            f.Str = Chance(3) ? "" : std::to_string(Between(-99999, 99999));
            break;
        case ttRange: {
            // Bounds in order with the same fraction digits, with either decimal mark.
            const int low = Between(-99999, 99999);
            const std::string fraction =
                Chance(2) ? "" : (Chance(2) ? "." : ",") + Text(Between(1, 3), '0', '9');
            f.Str = std::to_string(low) + fraction + ".." +
                    std::to_string(low + Between(0, 99999)) + fraction;
            break;
        }
        case ttList:
            for (int i = Between(1, 4); i > 0; --i) {
                f.Str += Text(Between(0, 5), 'a', 'z') +
                         (Chance(3) ? "*" + std::to_string(Between(1, 99)) : "") +
                         (i > 1 ? "|" : "");
            }
            // A list of one empty item without a weight would be an empty list.
            if (f.Str.empty()) {
                f.Str = "x";
            }
            break;
        default:
            f.Str = Text(Between(1, 20), 1, 255);
            break;
        }
    }

    /// A file name without blanks that the engine reads as a plain argument: empty, a
    /// relative name, or an absolute path of at least two parts.
    std::string FileName() {
        switch (Between(0, 3)) {
        case 0:
            return {};
        case 1: {
            std::string name = Text(Between(1, 30), 33, 255);
            if (name[0] == '/' || name[0] == '-')
                name[0] = 'f';
            return name;
        }
        default: {
            std::string first = Text(Between(1, 10), 33, 255);
            for (char& ch : first)
                if (ch == '/' || ch == '=')
                    ch = 'd';
            return "/" + first + "/" + Text(Between(1, 20), 33, 255);
        }
        }
    }

    std::mt19937 FRandom;
};

} // namespace

/// The window's writer against the engine's reader, on random definitions.
class TestRoundTrip : public QObject {
    Q_OBJECT

private slots:
    void windowAndEngineAgree();
};

void TestRoundTrip::windowAndEngineAgree() {
    TFormMain window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* count = window.findChild<QLineEdit*>("VxNumEditRecords");
    auto* charset = window.findChild<QLineEdit*>("EditCharset");
    auto* fileName = window.findChild<QLineEdit*>("EditFileName");
    auto* endOfLine = window.findChild<TRadioGroup*>("RadioGroupEOL");
    QVERIFY(count && charset && fileName && endOfLine);

    TCaseMaker maker(20240611);
    const int lastRow = window.RowCount() - 1;
    int filledRows = 0;
    for (int n = 0; n < 300; ++n) {
        // The first case fills the whole grid; the others hold up to 40 fields.
        const TCase c = maker.Make(n == 0 ? lastRow : 1 + n % 40);
        for (int r = 1; r <= std::max(filledRows, int(c.Fields.size())); ++r) {
            const bool used = r <= int(c.Fields.size());
            const TFieldDef& f = used ? c.Fields[r - 1] : TFieldDef{};
            window.SetCells(1, r, used ? CaptionOfTextType(f.TextType) : "");
            window.SetCells(2, r, used ? std::to_string(f.Size) : "");
            window.SetCells(3, r, f.Str);
        }
        filledRows = int(c.Fields.size());
        count->setText(QString::number(c.RecordCount));
        charset->setText(ToQString(c.Charset));
        fileName->setText(ToQString(c.FileName));
        endOfLine->SetItemIndex(c.EndOfLine);

        std::int32_t definedRows = 0;
        std::string cmd;
        window.BuildCommandString(definedRows, cmd);
        const std::string failing = "case " + std::to_string(n) + ": " + Describe(c, cmd);
        TVxRndParser parser;
        try {
            parser.Parse(cmd);
        } catch (const std::exception& e) {
            QFAIL(qPrintable(QString::fromLatin1(e.what()) + "\n" + ToQString(failing)));
        }
        QVERIFY2(definedRows == int(c.Fields.size()), failing.c_str());
        QVERIFY2(parser.Fields() == c.Fields, failing.c_str());
        QVERIFY2(parser.RecordCount() == c.RecordCount, failing.c_str());
        QVERIFY2(parser.UserCharset() == c.Charset, failing.c_str());
        QVERIFY2(parser.EndOfLine() == c.EndOfLine, failing.c_str());
        QVERIFY2(parser.FileName() == c.FileName, failing.c_str());
        QVERIFY2(parser.ArgCount() == window.ArgCount(), failing.c_str());
    }
}

QTEST_MAIN(TestRoundTrip)
#include "test_roundtrip.moc"
