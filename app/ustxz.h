// The upgrade window Tfrmstxz (global frmstxz), "题库升级": appends the rows of an upgrade
// file to the question bank, the file chosen on disk or downloaded with WebCopy1.
//
// An upgrade applies only when the bank's tab_sj holds a row of the file's product and none
// of its upgrade id; the five tables and the upgrade id are appended in one transaction, so
// the bank is either upgraded whole or left exactly as it was. The rows are matched to the
// bank's columns by name. A download is applied only when that run fetched the whole file;
// while it runs the window cannot be closed and neither button can be pressed.
#pragma once
#include "WebCopy.h"
#include "classlib/forms/Forms.h"
#include "classlib/stdctrls/ComboBoxes.h"
#include "classlib/stdctrls/Dialogs.h"
#include "classlib/stdctrls/Edits.h"
#include "classlib/stdctrls/RadioGroup.h"
#include "classlib/stdctrls/SpeedButton.h"
#include "classlib/stdctrls/StdLabels.h"
#include "controls/effects/EPButtons.h"

// The address offered in the address box, and put back after an empty start.
inline constexpr wchar_t kDefaultUpgradeAddress[] = L"http://www.examprep.cn/update/Updbexer.mdb";
// The name the downloaded upgrade file must have.
inline constexpr wchar_t kUpgradeFileName[] = L"Updbexer.mdb";

class Tfrmstxz : public TForm {
  CLASSLIB_CLASS(Tfrmstxz, TForm)
  static const TPropertyTable* PublishedProperties();
  // Reads the stored layout.
  explicit Tfrmstxz(TComponent* owner);
  ~Tfrmstxz() override;

  // ---- Components (owned by the window) ----------------------------------------------------
  TLabel* Label1 = nullptr;
  TRadioGroup* RadioGroup1 = nullptr;       // 本地升级 / 网上升级
  TEdit* Edit1 = nullptr;                   // path of the local upgrade file
  TSpeedButton* SpeedButton1 = nullptr;     // opens OpenDialog1
  TOpenDialog* OpenDialog1 = nullptr;
  TComboBox* ComboBox1 = nullptr;           // address of the upgrade file on the network
  TepFocusButton* epFocusButton1 = nullptr; // 开始升级
  TepFocusButton* epFocusButton3 = nullptr; // 关闭
  TWebCopy* WebCopy1 = nullptr;

  // The folder downloads go to, with a trailing backslash (created when missing).
  String DownloadDir = L"C:\\Windows\\Temp\\";

  // ---- Event handlers -------------------------------------------------------------------------
  void FormShow(TObject* sender);
  void RadioGroup1Click(TObject* sender);
  void SpeedButton1Click(TObject* sender);
  void epFocusButton1Click(TObject* sender);
  void epFocusButton3Click(TObject* sender);
  void FormCloseQuery(TObject* sender, bool& canClose);
  void WebCopy1CopyDone(TObject* sender);

  // The whole upgrade of one file, with its message; true when the bank was upgraded. A file
  // that opens but cannot be read (no tab_sj) raises its error, the bank unchanged.
  bool ApplyUpgrade(const String& file);
  // A download is running.
  bool GetDownloading() const { return FDownloading; }

 protected:
  void Dispatch(TMessage& message) override;

 private:
  void RegisterHandlers();
  void StartDownload(const String& address);
  void SetBusy(bool busy);
  void ApplyDownloaded();

  bool FDownloading = false;
  bool FDownloadSucceeded = false;
};

extern Tfrmstxz* frmstxz;
