// Qt's own buttons speak Japanese once the program's translations are loaded: the quit
// question's buttons read はい and いいえ.
#include "QtTranslations.h"
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <gtest/gtest.h>

TEST(QtTranslations, QuestionButtonsReadJapanese)
{
    ASSERT_TRUE(qv::installQtTranslations(*QCoreApplication::instance()));
    QMessageBox box(QMessageBox::Question, QStringLiteral("Qorvale"), QStringLiteral("終了する前に保存しますか？"),
                    QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text().remove(QLatin1Char('&')).left(2), QStringLiteral("はい"));
    EXPECT_EQ(box.button(QMessageBox::No)->text().remove(QLatin1Char('&')).left(3), QStringLiteral("いいえ"));
}
