// The help window: the guide's pictures are found and the function index reads in order.
#include "ui/views.h"

#include <QListWidget>
#include <QTextBrowser>
#include <QUrl>
#include <gtest/gtest.h>

TEST(Help, GuidePicturesLoadAndTheIndexIsSorted)
{
    KOV_HELPWIN help(nullptr);
    QVariant pic = help.text->loadResource(QTextDocument::ImageResource, QUrl(QStringLiteral("images/budget.png")));
    EXPECT_TRUE(pic.isValid() && !pic.toByteArray().isEmpty());
    ASSERT_GT(help.index->count(), 200);
    for (int i = 1; i < help.index->count(); i++)
        EXPECT_LE(help.index->item(i - 1)->text().compare(help.index->item(i)->text(), Qt::CaseInsensitive), 0) << i;
}
