#include <gtest/gtest.h>

#include <QLineEdit>
#include <iterator>

#include "app/MainForm.h"
#include "tests/ui/ScriptedServices.h"

namespace velmora {
namespace {

class BadInputsTest : public ::testing::Test {
protected:
    testing::ScriptedServices services;
    ScopedServices scoped{services};
    MainForm form;

    BadInputsTest() { form.HScroll1->SetValue(32); }  // the smallest canvas keeps the renders short

    // Starts a render and reports whether it ran to its end.
    bool Completes() {
        const int beeps = services.beeps;
        form.Strt_Click();
        return form.Label2->text() == QStringLiteral("OK") && services.beeps == beeps + 1;
    }
};

// Whatever a box holds, Start reads a number from it and draws a whole picture.
TEST_F(BadInputsTest, AnyTextInAnyBoxDrawsAPicture) {
    const char* const texts[] = {"abc",   "",         "1E400",  "-1D400", "1E-400", "4.9E-324", "&HFFFFFFFFFFFFFFFFFFFF",
                                 "--1",   "1,5",      "1E99999999999999999999", "\xE6\x97\xA5\xE6\x9C\xAC"};
    QLineEdit* const boxes[] = {form.texta, form.textb, form.XH, form.XL, form.YH, form.YL};
    for (int pattern : {0, 2, 3}) {
        for (std::size_t box = 0; box < std::size(boxes); ++box) {
            for (const char* text : texts) {
                form.OptionPt_Click(pattern);
                boxes[box]->setText(QString::fromUtf8(text));
                EXPECT_TRUE(Completes()) << "pattern " << pattern << ", box " << box << " = " << text;
            }
        }
    }
    EXPECT_TRUE(services.messages.empty());
}

// Regions of zero, negative or non-finite extent and a = b = 0 all draw.
TEST_F(BadInputsTest, DegenerateRegionsAndZeroParametersDraw) {
    struct Region {
        const char *x0, *x1, *y0, *y1;
    };
    for (const Region& r : {Region{"0.1", "0.1", "0.2", "0.2"}, Region{"-5", "11", "-15", "1"},
                            Region{"1E308", "-1E308", "1E308", "-1E308"}, Region{"1E400", "0", "0", "-1E400"}}) {
        for (int pattern : {0, 2}) {
            form.OptionPt_Click(pattern);
            form.XH->setText(QString::fromLatin1(r.x0));
            form.XL->setText(QString::fromLatin1(r.x1));
            form.YH->setText(QString::fromLatin1(r.y0));
            form.YL->setText(QString::fromLatin1(r.y1));
            EXPECT_TRUE(Completes()) << pattern << ": " << r.x0 << " " << r.x1 << " " << r.y0 << " " << r.y1;
        }
    }
    for (int pattern : {0, 1, 2, 3}) {
        form.OptionPt_Click(pattern);
        form.texta->setText(QStringLiteral("0"));
        form.textb->setText(QStringLiteral("0"));
        EXPECT_TRUE(Completes()) << pattern;
    }
    EXPECT_TRUE(services.messages.empty());
}

}  // namespace
}  // namespace velmora
