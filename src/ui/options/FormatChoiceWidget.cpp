#include "ui/options/FormatChoiceWidget.h"

#include <QComboBox>
#include <QVBoxLayout>

#include "stream/CNxSSFormatChoice.h"

namespace ui::options {

FormatChoiceWidget::FormatChoiceWidget(CNxSSFormatChoice& choice, QWidget* parent)
    : QWidget(parent) {
    auto* list = new QComboBox(this);
    for (const std::string& text : choice.EntryTexts()) {
        list->addItem(QString::fromStdString(text));
    }
    list->setCurrentIndex(choice.Selection());
    connect(list, &QComboBox::currentIndexChanged, this,
            [&choice](int entry) { choice.Select(entry); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list);
    layout->addStretch();
}

}  // namespace ui::options
