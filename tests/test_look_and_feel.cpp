#include "ui/CustomLookAndFeel.h"
#include "support/ImageProbe.h"
#include "ui/Fonts.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace
{
// The look and feel installed as the program-wide default for one test, as the main
// component does; the framework's typeface cache is emptied so that fonts resolve anew.
class DefaultLookAndFeel : public ::testing::Test
{
protected:
    DefaultLookAndFeel()
    {
        juce::LookAndFeel::setDefaultLookAndFeel(&lookAndFeel);
        juce::Typeface::clearTypefaceCache();
    }

    ~DefaultLookAndFeel() override
    {
        juce::LookAndFeel::setDefaultLookAndFeel(nullptr);
        juce::Typeface::clearTypefaceCache();
    }

    CustomLookAndFeel lookAndFeel;
};

juce::Image renderText(const juce::Font& font, const juce::String& text)
{
    juce::Image image(juce::Image::ARGB, 300, 60, true);
    juce::Graphics g(image);
    g.setColour(juce::Colours::white);
    g.setFont(font);
    g.drawSingleLineText(text, 4, 44);
    return image;
}

} // namespace

TEST(CustomLookAndFeel, RecoloursThirteenFrameworkColours)
{
    CustomLookAndFeel lookAndFeel;
    const std::pair<int, juce::uint32> table[] = {
        {0x1000700, 0xFF111111}, {0x1000900, 0x8086CF7A}, {0x1000600, 0xFFF5F5F5}, {0x1000800, 0xFFF5F5F5},
        {0x1001800, 0xFF111111}, {0x1001810, 0xFFAAA6A6}, {0x1008301, 0x8086CF7A}, {0x1005700, 0xFF111111},
        {0x1000400, 0xFFAAA6A6}, {0x1000200, 0xFF111111}, {0x1002800, 0xFF111111}, {0x1000100, 0xFF111111},
        {0x1000281, 0xFFF5F5F5},
    };
    for (const auto& [id, argb] : table)
        EXPECT_EQ(lookAndFeel.findColour(id).getARGB(), argb) << std::hex << "colour id 0x" << id;

    // Everything else keeps the framework's dark scheme.
    juce::LookAndFeel_V4 framework;
    EXPECT_EQ(lookAndFeel.findColour(juce::TextEditor::textColourId),
              framework.findColour(juce::TextEditor::textColourId));
}

TEST(CustomLookAndFeel, MakesTheEmbeddedFaceForEveryFont)
{
    CustomLookAndFeel lookAndFeel;
    ASSERT_NE(lookAndFeel.regularTypeface, nullptr);
    EXPECT_EQ(lookAndFeel.regularTypeface->getName(), juce::String("Source Sans Pro"));
    EXPECT_EQ(lookAndFeel.regularTypeface->getStyle(), juce::String("Regular"));

    const juce::Font fonts[] = {
        juce::Font(),
        juce::Font(12.0f, juce::Font::bold),
        juce::Font(40.0f, juce::Font::bold | juce::Font::italic),
        juce::Font("DejaVu Serif", 20.0f, juce::Font::italic),
        juce::Font(juce::Font::getDefaultMonospacedFontName(), 14.0f, juce::Font::plain),
    };
    for (const auto& font : fonts)
        EXPECT_EQ(lookAndFeel.getTypefaceForFont(font), lookAndFeel.regularTypeface)
            << font.getTypefaceName() << " " << font.getTypefaceStyle();
}

// Through the framework: a font asked for by another family, bold or italic draws the
// same glyphs as the embedded regular face.
TEST_F(DefaultLookAndFeel, StyledFontsRenderInTheRegularFace)
{
    const auto regular =
        renderText(ui::fontFromTypeface(lookAndFeel.regularTypeface, 30.0f), "Ostrand 1.2.0");
    ASSERT_GT(inkedPixels(regular), 100);
    for (const auto& font :
         {juce::Font(30.0f, juce::Font::bold), juce::Font("DejaVu Serif", 30.0f, juce::Font::italic),
          juce::Font(30.0f, juce::Font::plain)})
    {
        EXPECT_EQ(font.getTypefacePtr(), lookAndFeel.regularTypeface) << font.getTypefaceName();
        EXPECT_EQ(differingPixels(renderText(font, "Ostrand 1.2.0"), regular, regular.getBounds()), 0)
            << font.getTypefaceName();
    }
}

TEST_F(DefaultLookAndFeel, PopupMenuFontIsThirtyPixelsWithExtraKerning)
{
    const auto font = lookAndFeel.getPopupMenuFont();
    EXPECT_FLOAT_EQ(font.getHeight(), 30.0f);
    EXPECT_FLOAT_EQ(font.getExtraKerningFactor(), 0.1f);
    EXPECT_FLOAT_EQ(font.getHorizontalScale(), 1.0f);
    EXPECT_EQ(font.getStyleFlags(), static_cast<int>(juce::Font::plain));
    EXPECT_EQ(font.getTypefaceName(), juce::Font::getDefaultSansSerifFontName());
    EXPECT_EQ(font.getTypefacePtr(), lookAndFeel.regularTypeface);
}

// A 40-pixel combo box: a colourSurface pill with corner size 20 and nothing else.
TEST_F(DefaultLookAndFeel, ComboBoxIsAPlainPill)
{
    juce::ComboBox box;
    box.setBounds(0, 0, 200, 40);
    for (const bool pressed : {false, true})
    {
        juce::Image image(juce::Image::ARGB, 200, 40, true);
        juce::Graphics g(image);
        lookAndFeel.drawComboBox(g, 200, 40, pressed, 170, 0, 30, 40, box);

        const auto surface = juce::Colour(0xFF171717);
        for (const auto& inside :
             {juce::Point<int>(100, 20), juce::Point<int>(100, 1), juce::Point<int>(100, 38),
              juce::Point<int>(20, 20), juce::Point<int>(180, 20), juce::Point<int>(185, 30)})
            EXPECT_EQ(image.getPixelAt(inside.x, inside.y), surface) << inside.toString();
        // Fully rounded ends: the corners stay empty, and no arrow is drawn.
        for (const auto& outside : {juce::Point<int>(2, 2), juce::Point<int>(2, 37), juce::Point<int>(197, 2),
                                    juce::Point<int>(197, 37)})
            EXPECT_EQ(image.getPixelAt(outside.x, outside.y).getAlpha(), 0) << outside.toString();
    }
}

namespace
{
// A further override of the combo box font, which the text placement must honour.
class SmallComboFont : public CustomLookAndFeel
{
public:
    juce::Font getComboBoxFont(juce::ComboBox&) override { return ui::plainFont(11.0f); }
};

juce::Label* labelOf(juce::ComboBox& box)
{
    for (auto* child : box.getChildren())
        if (auto* label = dynamic_cast<juce::Label*>(child))
            return label;
    return nullptr;
}
} // namespace

TEST_F(DefaultLookAndFeel, ComboBoxTextSpansTheWholeBox)
{
    juce::ComboBox box;
    box.setBounds(0, 0, 200, 40);
    auto* label = labelOf(box);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->getBounds(), juce::Rectangle<int>(1, 1, 200, 38));
    EXPECT_FLOAT_EQ(label->getFont().getHeight(), 28.0f);
    EXPECT_EQ(label->getFont().getStyleFlags(), static_cast<int>(juce::Font::plain));
    EXPECT_EQ(label->getJustificationType(), juce::Justification(juce::Justification::centred));

    SmallComboFont small;
    box.setLookAndFeel(&small);
    box.setBounds(0, 0, 120, 30);
    EXPECT_EQ(label->getBounds(), juce::Rectangle<int>(1, 1, 120, 28));
    EXPECT_FLOAT_EQ(label->getFont().getHeight(), 11.0f);
    box.setLookAndFeel(nullptr);
}

// Components that take their background from the look and feel get the dark palette.
TEST_F(DefaultLookAndFeel, EditorsAndWindowsUseThePalette)
{
    juce::TextEditor editor;
    EXPECT_EQ(editor.findColour(juce::TextEditor::backgroundColourId).getARGB(), 0xFF111111u);
    juce::ScrollBar scrollBar(true);
    EXPECT_EQ(scrollBar.findColour(juce::ScrollBar::thumbColourId).getARGB(), 0xFFAAA6A6u);
    juce::Label label;
    EXPECT_EQ(label.findColour(juce::Label::textColourId).getARGB(), 0xFFF5F5F5u);
}
