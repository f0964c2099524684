// "Znajdź TAV-1000R": which port the receiver is on, for an installer who
// does not know which COM name the adapter got. Each present port is asked
// for the version in turn, off the window's thread; the first that answers
// is selected and its version shown.
#include <QComboBox>
#include <QPushButton>
#include <string>
#include <vector>

#include "Unit1.h"
#include "form_text.h"
#include "link/messages.h"
#include "link/receiver_finder.h"
#include "ui_Unit1.h"

namespace tav::ui {

void TForm1::SetUpPortFinder() {
    // Left of "PORT:", over the tab row's free right end.
    findButton_ = new QPushButton(FromUtf8("Znajdź TAV-1000R"), ui_->ComboBox1->parentWidget());
    findButton_->setObjectName(QStringLiteral("FindReceiverButton"));
    findButton_->setGeometry(470, 2, 124, 22);
    findButton_->setToolTip(FromUtf8(kFindTip));
    connect(findButton_, &QPushButton::clicked, this, &TForm1::FindReceiverClick);
    // The version line belongs to the port it came from.
    connect(ui_->ComboBox1, &QComboBox::currentIndexChanged, this,
            [this] { ShowVersionText(QString()); });
}

void TForm1::FindReceiverClick() {
    if (onlineReceptionActive_ || operationRunning_) {
        return;  // the button is greyed then
    }
    // Rows of the port list whose port opens a device now.
    std::vector<int> ports;
    std::vector<std::string> paths;
    for (int row = 0; row < ui_->ComboBox1->count(); ++row) {
        const int index = ui_->ComboBox1->itemData(row).toInt();
        if (const auto path = services_.portResolver->DevicePath(index)) {
            ports.push_back(row);
            paths.push_back(*path);
        }
    }
    if (ports.empty()) {
        ShowMessage(FromUtf8("Nie znaleziono żadnego portu szeregowego. Sprawdź, czy przejściówka "
                             "USB jest podłączona."),
                    FromUtf8(messages::kError));
        return;
    }
    std::optional<FoundReceiver> found;
    RunWithoutInput([&] {
        found = FindReceiver(paths, services_.makePort, *services_.timing,
                             [this] { return StopRequested(); });
    });
    if (!found) {
        QStringList names;
        for (int i : ports) {
            names << ui_->ComboBox1->itemText(i);
        }
        ShowMessage(FromUtf8("TAV-1000R nie odpowiada na żadnym z obecnych portów (") +
                        names.join(QStringLiteral(", ")) + QStringLiteral(")."),
                    FromUtf8(messages::kError));
        return;
    }
    const int index = ports[found->index];
    ui_->ComboBox1->setCurrentIndex(index);
    context_.version = found->version;
    ShowVersionText(FromUtf8(VersionText(found->version)));
    ShowMessage(FromUtf8("TAV-1000R odpowiada na porcie ") + ui_->ComboBox1->itemText(index) +
                    QStringLiteral("."),
                FromUtf8(messages::kOk));
}

}  // namespace tav::ui
