#include "app/gui/QtAppFace.h"

#include <QApplication>
#include <QStyleFactory>

#include "app/gui/AppResources.h"
#include "app/gui/QuitRequest.h"
#include "app/gui/TemplateDialog.h"

QtAppFace::QtAppFace() {
  QuitRequest::Clear();
  AppResources::Init();
  SoundService::SetSystemService(&fSounds);
}

QtAppFace::~QtAppFace() { SoundService::SetSystemService(nullptr); }

void QtAppFace::Enable3dControls() {
  // Fusion's bevelled controls look the same on every desktop.
  if (QStyle* style = QStyleFactory::create(QStringLiteral("Fusion"))) QApplication::setStyle(style);
}

void QtAppFace::SetDialogColors(Color background, Color text) {
  TemplateDialog::SetDialogColors(QColor(background.fRed, background.fGreen, background.fBlue),
                                  QColor(text.fRed, text.fGreen, text.fBlue));
}

void QtAppFace::SetRegistryKey(const char* company) {
  QCoreApplication::setOrganizationName(QString::fromUtf8(company));
}

int QtAppFace::RunModal(DialogBehaviour& dialog) {
  TemplateDialog window(dialog);
  return window.DoModal();
}

int QtAppFace::ExitCode() const { return QuitRequest::Pending() ? QuitRequest::ExitCode() : 0; }
