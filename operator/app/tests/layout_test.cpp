// SPDX-License-Identifier: MIT
// The dialog as its template draws it: controls, places, order, focus, names,
// and the Chinese captions drawn with real glyphs.
#include <QAbstractButton>
#include <QDir>
#include <QFontMetrics>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QSet>
#include <QTableView>

#include "dialog_fixture.h"

namespace kestrix {

TEST_F(DialogTest, EveryControlOfTheTemplateIsThereAndInPlace)
{
    const auto &layout = mainDialogTemplate();
    const DialogUnits units(dialog->font());
    EXPECT_EQ(dialog->windowTitle(), "Kestrix");
    EXPECT_EQ(dialog->size(), units.toPixels(layout.width, layout.height));
    EXPECT_GT(units.baseX(), 0);

    for (const auto &t : layout.controls) {
        if (t.id == IDC_STATIC)
            continue;
        QWidget *w = dialog->control(t.id);
        ASSERT_NE(w, nullptr) << t.id;
        EXPECT_EQ(w->geometry(), units.toPixels(t.units)) << t.id;
        EXPECT_EQ(w->isVisible(), !(t.flags & Hidden)) << t.id;
        if (auto *b = qobject_cast<QAbstractButton *>(w)) {
            EXPECT_EQ(b->text(), QString::fromUtf8(t.caption));
        }
        EXPECT_FALSE(w->accessibleName().isEmpty()) << t.id;
    }
    EXPECT_EQ(dialog->button(IDC_CONNECT)->accessibleName(), QString::fromUtf8("连接设备"));
    EXPECT_EQ(dialog->edit(IDC_SINGLE_NUMBER)->accessibleName(), QString::fromUtf8("单条记录号"));

    const auto labels = dialog->findChildren<QLabel *>();
    QStringList labelTexts;
    for (auto *l : labels)
        labelTexts << l->text();
    EXPECT_TRUE(labelTexts.contains(QString::fromUtf8("起始：")));
    EXPECT_TRUE(labelTexts.contains(QString::fromUtf8("结束：")));
}

TEST_F(DialogTest, StartsWithFocusOnCloseAndTemplateTabOrder)
{
    EXPECT_EQ(dialog->focusWidget(), dialog->button(IDOK));
    EXPECT_TRUE(dialog->button(IDOK)->isDefault());

    const int visibleOrder[] = {IDOK,
                                IDC_CONNECT,
                                IDC_DISCONNECT,
                                IDC_READ_ALL,
                                IDC_SET_TIME,
                                IDC_DELETE_ALL,
                                IDC_SAVE_FILE,
                                IDC_CLEAR_LIST,
                                IDC_RECORD_LIST,
                                IDC_QUERY_COUNT,
                                IDC_READ_ONE,
                                IDC_RECORD_COUNT,
                                IDC_SINGLE_NUMBER,
                                IDC_OPEN_COMPARE,
                                IDC_DOWNLOAD_COMPARE,
                                IDC_DELETE_COMPARE,
                                IDC_REMOVE_DUPLICATES,
                                IDC_RANGE_START,
                                IDC_RANGE_END,
                                IDC_READ_RANGE};
    // Walk the focus chain once round and keep the template's visible controls.
    QSet<QWidget *> stops;
    for (int id : visibleOrder)
        stops.insert(dialog->control(id));
    std::vector<QWidget *> chain;
    QWidget *w = dialog->control(IDOK);
    do {
        if (stops.contains(w))
            chain.push_back(w);
        w = w->nextInFocusChain();
    } while (w != dialog->control(IDOK) && chain.size() < std::size(visibleOrder));
    ASSERT_EQ(chain.size(), std::size(visibleOrder));
    for (std::size_t i = 0; i < chain.size(); ++i)
        EXPECT_EQ(chain[i], dialog->control(visibleOrder[i])) << "tab stop " << i;
}

TEST_F(DialogTest, InitialFieldsListAndBar)
{
    EXPECT_EQ(dialog->edit(IDC_RECORD_COUNT)->text(), "0");
    EXPECT_TRUE(dialog->edit(IDC_RECORD_COUNT)->isReadOnly());
    EXPECT_EQ(dialog->edit(IDC_SINGLE_NUMBER)->text(), "1");
    EXPECT_EQ(dialog->edit(IDC_RANGE_START)->text(), "1");
    EXPECT_EQ(dialog->edit(IDC_RANGE_END)->text(), "1");
    EXPECT_EQ(dialog->edit(IDC_KEY_TEXT)->font().family(), "Arial");
    EXPECT_EQ(dialog->edit(IDC_KEY_TEXT)->font().pointSize(), 16);
    EXPECT_EQ(dialog->progressBar()->minimum(), 0);
    EXPECT_EQ(dialog->progressBar()->maximum(), 100);

    auto *header = dialog->recordListView()->horizontalHeader();
    const char *titles[] = {"序号", "卡号", "时间", "标记"};
    const int widths[] = {50, 120, 140, 50};
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(dialog->recordList().headerData(c, Qt::Horizontal).toString(), QString::fromUtf8(titles[c]));
        EXPECT_EQ(header->sectionSize(c), widths[c]);
    }
    EXPECT_EQ(rows(), 0);
}

TEST_F(DialogTest, ChineseCaptionsDrawRealGlyphs)
{
    const QFontMetrics metrics(dialog->font());
    for (const auto &t : mainDialogTemplate().controls) {
        const QString caption = QString::fromUtf8(t.caption);
        for (const QChar ch : caption)
            EXPECT_TRUE(metrics.inFont(ch))
                << caption.toStdString() << " lacks a glyph in " << dialog->font().family().toStdString();
    }

    const QImage shot = dialog->grab().toImage();
    const QString path = QDir::current().absoluteFilePath("kestrix-dialog.png");
    ASSERT_TRUE(shot.save(path));

    // Something was drawn inside the caption of "连接设备"...
    const QRect button = dialog->button(IDC_CONNECT)->geometry().adjusted(4, 4, -4, -4);
    int dark = 0;
    for (int y = button.top(); y <= button.bottom(); ++y)
        for (int x = button.left(); x <= button.right(); ++x)
            dark += qGray(shot.pixel(x * shot.width() / dialog->width(), y * shot.height() / dialog->height())) < 160;
    EXPECT_GT(dark, 40) << "see " << path.toStdString();

    // ...and it is not what the font draws for characters it lacks.
    auto drawn = [&](const QString &text) {
        QImage image(120, 30, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setFont(dialog->font());
        painter.setPen(Qt::black);
        painter.drawText(image.rect(), Qt::AlignCenter, text);
        return image;
    };
    const QChar missing[] = {QChar(0xE000), QChar(0xE001), QChar(0xE002), QChar(0xE003)};
    EXPECT_NE(drawn(QString::fromUtf8("连接设备")), drawn(QString(missing, 4)));
}

} // namespace kestrix
