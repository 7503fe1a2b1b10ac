// The link mark-up and the text that shows it: formats, paragraph
// alignments and links from the mark-up, and the pointer over the links.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTextBlock>

#include "app/linkedit.h"
#include "help/linkmarkup.h"

using markup::Align;
using markup::LinkKind;
using markup::Parse;

TEST(LinkMarkup, tags_leave_the_text_set_formats_and_breaks_end_paragraphs_with_their_alignment) {
  const markup::Parsed p = Parse("Un <b>gras</B> et <i><u>souligné</U></I><BR CENTER>ligne <color red>rouge</COLOR>"
                                 "<br right>fin<br><size 14>grand</size><size x>min</size><font Arial>a</font><zz>!");
  EXPECT_EQ(p.text, "Un gras et souligné\nligne rouge\nfin\ngrandmina!");
  ASSERT_EQ(p.paragraphs.size(), 4u);
  EXPECT_EQ(p.paragraphs[0], Align::Center);
  EXPECT_EQ(p.paragraphs[1], Align::Right);
  EXPECT_EQ(p.paragraphs[2], Align::Control);
  EXPECT_EQ(p.paragraphs[3], Align::Control);
  // The runs cover the text, each with its format.
  qsizetype covered = 0;
  for (const markup::Run& run : p.runs) {
    EXPECT_EQ(run.start, covered);
    covered += run.length;
  }
  EXPECT_EQ(covered, p.text.size());
  const auto formatAt = [&](qsizetype at) {
    for (const markup::Run& run : p.runs)
      if (at >= run.start && at < run.start + run.length) return run.format;
    return markup::Format{};
  };
  EXPECT_TRUE(formatAt(p.text.indexOf("gras")).bold);
  EXPECT_FALSE(formatAt(p.text.indexOf(" et")).bold);
  EXPECT_TRUE(formatAt(p.text.indexOf("souligné")).italic);
  EXPECT_TRUE(formatAt(p.text.indexOf("souligné")).underline);
  EXPECT_EQ(formatAt(p.text.indexOf("rouge")).colour, QColor(255, 0, 0));
  EXPECT_FALSE(formatAt(p.text.indexOf("fin")).colour.has_value());
  EXPECT_EQ(formatAt(p.text.indexOf("grand")).points, 14);
  EXPECT_EQ(formatAt(p.text.indexOf("min")).points, 0);  // not a number: the smallest
  EXPECT_EQ(formatAt(p.text.indexOf("a!")).family, "Arial");
  EXPECT_FALSE(formatAt(p.text.indexOf("!")).family.has_value());
}

TEST(LinkMarkup, links_span_their_text_a_break_counting_one_and_restore_the_format_after) {
  markup::Colours colours;
  colours.url = Qt::blue;
  colours.mail = Qt::red;
  colours.custom = Qt::green;
  const markup::Parsed p =
      Parse("<B>Site</B> <url https://example.org/>ici<BR>là</url>, <MAIL moi@example.org>écrire</MAIL> <LINK raccourcis>"
            "cliquez ici</LINK><url x>jamais fermé",
            colours);
  ASSERT_EQ(p.links.size(), 4u);
  EXPECT_EQ(p.links[0].kind, LinkKind::Url);
  EXPECT_EQ(p.links[0].target, "https://example.org/");
  EXPECT_EQ(p.text.mid(p.links[0].start, p.links[0].end - p.links[0].start), "ici\nlà");
  EXPECT_EQ(p.links[1].kind, LinkKind::Mail);
  EXPECT_EQ(p.text.mid(p.links[1].start, p.links[1].end - p.links[1].start), "écrire");
  EXPECT_EQ(p.links[2].kind, LinkKind::Custom);
  EXPECT_EQ(p.links[2].target, "raccourcis");
  EXPECT_EQ(p.links[3].end, p.text.size());  // never closed: to the end
  EXPECT_EQ(markup::LinkAt(p, p.text.indexOf("là"))->target, "https://example.org/");
  EXPECT_EQ(markup::LinkAt(p, p.text.indexOf(",")), nullptr);
  EXPECT_EQ(markup::LinkAt(p, p.links[1].end), nullptr);  // the closing tag's place is past the link
  for (const markup::Run& run : p.runs)
    if (run.start == p.links[1].start) {
      EXPECT_EQ(run.format.colour, QColor(Qt::red));
      EXPECT_TRUE(run.format.underline);
    }
}

TEST(LinkMarkup, a_stray_less_than_shows_and_text_after_an_unclosed_one_does_not_and_any_shape_is_linear) {
  EXPECT_EQ(Parse("a<b<c>d").text, "a<d");
  EXPECT_EQ(Parse("<<<>").text, "<<");
  EXPECT_EQ(Parse("visible <pas fermé ni montré").text, "visible ");
  EXPECT_EQ(Parse("<").text, "");
  EXPECT_EQ(Parse("").text, "");
  EXPECT_EQ(Parse("x</B></URL></COLOR>y").text, "xy");
  EXPECT_EQ(Parse("<COLOR BTNFACE>a", {}).runs.back().format.colour, markup::Colours().buttonFace);
  EXPECT_EQ(Parse("<COLOR inconnue>a").runs.back().format.colour, std::nullopt);
  QElapsedTimer clock;
  clock.start();
  for (const QString& text : {QString(1 << 20, '<'), QString(1 << 20, '>'), QString("<b><url a>").repeated(100000),
                              QString("<BR>").repeated(250000)})
    Parse(text);
  EXPECT_LT(clock.elapsed(), 20000);
}

namespace {

QPoint PointOf(TLinkEdit& edit, int position) {
  QTextCursor cursor(edit.document());
  cursor.setPosition(position);
  const QRect left = edit.cursorRect(cursor);
  cursor.setPosition(position + 1);
  const QRect right = edit.cursorRect(cursor);
  return QPoint((left.left() + right.left()) / 2, left.center().y());
}

void Move(TLinkEdit& edit, QPoint at) {
  QMouseEvent move(QEvent::MouseMove, at, edit.viewport()->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(edit.viewport(), &move);
}

void Click(TLinkEdit& edit, QPoint at) {
  const QPoint global = edit.viewport()->mapToGlobal(at);
  QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(edit.viewport(), &press);
  QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(edit.viewport(), &release);
}

}  // namespace

TEST(LinkEdit, each_link_kind_gives_the_hand_and_its_hint_and_a_click_after_a_break_hits_its_link) {
  TLinkEdit edit;
  edit.resize(400, 200);
  QStringList clicked, hinted;
  edit.OnUrlClick = [&](const QString& t) { clicked << "url " + t; };
  edit.OnMailClick = [&](const QString& t) { clicked << "mail " + t; };
  edit.OnCustomLinkClick = [&](const QString& t) { clicked << "link " + t; };
  edit.OnUrlHint = [&](const QString& t) { hinted << "url " + t; return "Aller à " + t; };
  edit.OnMailHint = [&](const QString& t) { hinted << "mail " + t; return "Écrire à " + t; };
  edit.OnCustomLinkHint = [&](const QString& t) { hinted << "link " + t; return QString("Raccourcis"); };
  edit.SetRichText("début <URL https://example.org/>site</URL><BR><MAIL moi@example.org>mail</MAIL> et "
                   "<LINK raccourcis>cliquez ici</LINK><BR CENTER>fin");
  edit.show();
  QApplication::processEvents();
  const QString text = edit.document()->toPlainText();
  Move(edit, PointOf(edit, static_cast<int>(text.indexOf("site")) + 1));
  EXPECT_EQ(edit.viewport()->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(edit.toolTip(), "Aller à https://example.org/");
  Move(edit, PointOf(edit, static_cast<int>(text.indexOf("mail"))));  // first character after the break
  EXPECT_EQ(edit.toolTip(), "Écrire à moi@example.org");
  Move(edit, PointOf(edit, static_cast<int>(text.indexOf("cliquez")) + 3));
  EXPECT_EQ(edit.toolTip(), "Raccourcis");
  Move(edit, PointOf(edit, static_cast<int>(text.indexOf("début"))));
  EXPECT_NE(edit.viewport()->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_TRUE(edit.toolTip().isEmpty());
  EXPECT_EQ(hinted, (QStringList{"url https://example.org/", "mail moi@example.org", "link raccourcis"}));

  Click(edit, PointOf(edit, static_cast<int>(text.indexOf("mail"))));
  Click(edit, PointOf(edit, static_cast<int>(text.indexOf("site")) + 3));
  Click(edit, PointOf(edit, static_cast<int>(text.indexOf("ici"))));
  Click(edit, PointOf(edit, static_cast<int>(text.indexOf(" et"))));
  EXPECT_EQ(clicked, (QStringList{"mail moi@example.org", "url https://example.org/", "link raccourcis"}));
  // The paragraph the centring break ends is centred, not the one after;
  // the link is underlined in its colour.
  EXPECT_EQ(edit.document()->findBlockByNumber(1).blockFormat().alignment() & Qt::AlignHorizontal_Mask,
            Qt::AlignHCenter);
  EXPECT_NE(edit.document()->lastBlock().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
  QTextCursor onLink(edit.document());
  onLink.setPosition(static_cast<int>(text.indexOf("site")) + 1);
  EXPECT_TRUE(onLink.charFormat().fontUnderline());
  EXPECT_EQ(onLink.charFormat().foreground().color(), QColor(0, 0, 128));
}

#include <QUrlQuery>

#include "help/mail.h"

// What the desktop's mail program gets back from the address: exactly the
// subject and the body, line breaks kept.
TEST(Mail, the_address_decodes_to_exactly_the_subject_and_body) {
  const QString subject = "A propos de Tessivo 6.1.3 fr";
  const QString body = "a&b?c#d%e+f é\nligne 2\r\nligne 3";
  const QByteArray address = MailtoAddress("contact@example.org", subject, body);
  EXPECT_TRUE(address.startsWith("mailto:contact@example.org?subject="));
  EXPECT_TRUE(address.contains("a%26b%3Fc%23d%25e%2Bf%20%C3%A9%0D%0Aligne%202%0D%0Aligne%203")) << address.constData();
  const QUrl url = QUrl::fromEncoded(address);
  ASSERT_TRUE(url.isValid());
  EXPECT_EQ(url.path(), "contact@example.org");
  // Each value decoded by itself: "&" and "+" inside the body are not
  // separators.
  const QByteArray query = address.mid(address.indexOf('?') + 1);
  const QList<QByteArray> parts = query.split('&');
  ASSERT_EQ(parts.size(), 2);
  EXPECT_EQ(QUrl::fromPercentEncoding(parts[0].mid(8)), subject);
  EXPECT_EQ(QUrl::fromPercentEncoding(parts[1].mid(5)), "a&b?c#d%e+f é\r\nligne 2\r\nligne 3");
}

// Found by the fuzzer: a line break written as it is in the mark-up is a
// paragraph of its own, so that alignments and links stay on their lines.
TEST(LinkMarkup, a_line_break_written_in_the_text_ends_a_paragraph_too) {
  const markup::Parsed p = Parse("un\r\ndeux<BR CENTER>trois\nquatre<URL x>lien</URL>");
  EXPECT_EQ(p.text, "un\ndeux\ntrois\nquatrelien");
  ASSERT_EQ(p.paragraphs.size(), 4u);
  EXPECT_EQ(p.paragraphs[1], Align::Center);
  EXPECT_EQ(p.text.mid(p.links[0].start, p.links[0].end - p.links[0].start), "lien");
}

// Filled while disabled, the text still takes the enabled colour.
TEST(LinkEdit, plain_text_takes_the_controls_enabled_text_colour) {
  TLinkEdit edit;
  QPalette p = edit.palette();
  p.setColor(QPalette::Active, QPalette::Text, Qt::darkGreen);
  p.setColor(QPalette::Inactive, QPalette::Text, Qt::darkGreen);
  p.setColor(QPalette::Disabled, QPalette::Text, Qt::lightGray);
  edit.setPalette(p);
  edit.SetRichText("texte");
  QTextCursor cursor(edit.document());
  cursor.setPosition(2);
  EXPECT_EQ(cursor.charFormat().foreground().color(), QColor(Qt::darkGreen));
}
