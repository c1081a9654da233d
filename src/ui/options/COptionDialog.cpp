#include "ui/options/COptionDialog.h"

#include "app/PlayerSettings.h"
#include "app/Settings.h"
#include "ui/options/COptionSheet.h"

namespace ui::options {

COptionDialog::COptionDialog(OptionSources sources) : sources_(std::move(sources)) {}

COptionDialog::~COptionDialog() = default;

std::unique_ptr<COptionSheet> COptionDialog::MakeSheet(int page, QWidget* parent) {
    const bool known = page >= 0 && page < COptionSheet::kPageCount;
    auto sheet =
        std::make_unique<COptionSheet>(sources_, known ? page : lastPage_, lastPage_, parent);
    sheet->setWindowFlag(Qt::WindowStaysOnTopHint,
                         sources_.settings.read(app::settings::kAlwaysOnTop) != 0);
    return sheet;
}

int COptionDialog::Open(int page, QWidget* parent) {
    return MakeSheet(page, parent)->exec() == QDialog::Accepted ? 1 : 0;
}

}  // namespace ui::options
