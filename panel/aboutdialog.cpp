#include "aboutdialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TForm3::TForm3(QWidget *parent) : QDialog(parent)
{
    setObjectName("TForm3");
    setWindowTitle("О программе");
    setModal(true);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    auto *col = new QVBoxLayout(this);
    auto *text = new QLabel(
        "<b>QV-274 Control panel v1.5</b><br><br>"
        "Панель управления частотомером QV-274: зеркало его индикатора,<br>"
        "кнопки управления, удержание и копирование показаний, запись в CSV.<br><br>"
        "Обсуждение и вопросы: в трекере задач репозитория этой программы.<br><br>"
        "Авторы: команда разработчиков QV-274 Control panel.",
        this);
    text->setObjectName("AboutText");
    col->addWidget(text);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("AboutOk");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    col->addWidget(buttons);
    setFixedSize(sizeHint());
}
