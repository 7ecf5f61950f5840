// The upgrade window.
#include "ustxz.h"

#include "Ucommon.h"
#include "classlib/classes/MethodTable.h"
#include "classlib/classes/Properties.h"
#include "classlib/system/SysExceptions.h"
#include "classlib/system/SysFiles.h"
#include "dm.h"

Tfrmstxz* frmstxz = nullptr;

namespace {

// Sent to the window by the download's done handler: the apply runs after the worker's
// completion call has returned.
constexpr UINT WM_APPLY_DOWNLOADED = WM_APP + 61;

// The tables an upgrade file adds to, in order.
const wchar_t* const kUpgradeTables[] = {L"tab_kmmc", L"tab_exer", L"tab_answ", L"tab_rule", L"tab_fgmc"};

void Tell(const String& caption, const String& text, int iconPage) { ShowDlg(caption, text, 1, iconPage, L"NO"); }

}  // namespace

const TPropertyTable* Tfrmstxz::PublishedProperties() {
  using P = TPublish<Tfrmstxz>;
  using C = Tfrmstxz;
  static const TPropertyTable table(
      {}, {P::Field(L"Label1", &C::Label1), P::Field(L"RadioGroup1", &C::RadioGroup1), P::Field(L"Edit1", &C::Edit1),
           P::Field(L"SpeedButton1", &C::SpeedButton1), P::Field(L"OpenDialog1", &C::OpenDialog1),
           P::Field(L"ComboBox1", &C::ComboBox1), P::Field(L"epFocusButton1", &C::epFocusButton1),
           P::Field(L"epFocusButton3", &C::epFocusButton3), P::Field(L"WebCopy1", &C::WebCopy1)});
  return &table;
}

Tfrmstxz::Tfrmstxz(TComponent* owner) : TForm(owner) {
  RegisterHandlers();
  LoadLayout();
}

Tfrmstxz::~Tfrmstxz() {
  // The download's worker is waited for (its events do nothing from here on) before the
  // window's controls go.
  delete WebCopy1;
  WebCopy1 = nullptr;
}

void Tfrmstxz::RegisterHandlers() {
  using M = TPublishMethods<Tfrmstxz>;
  RegisterMethods<Tfrmstxz>({
      M::Handler(L"FormShow", &Tfrmstxz::FormShow),
      M::Handler(L"RadioGroup1Click", &Tfrmstxz::RadioGroup1Click),
      M::Handler(L"SpeedButton1Click", &Tfrmstxz::SpeedButton1Click),
      M::Handler(L"epFocusButton1Click", &Tfrmstxz::epFocusButton1Click),
      M::Handler(L"epFocusButton3Click", &Tfrmstxz::epFocusButton3Click),
      M::Handler(L"FormCloseQuery", &Tfrmstxz::FormCloseQuery),
      M::Handler(L"WebCopy1CopyDone", &Tfrmstxz::WebCopy1CopyDone),
  });
}

void Tfrmstxz::FormShow(TObject*) {
  RadioGroup1->SetItemIndex(0);
  RadioGroup1Click(RadioGroup1);
}

void Tfrmstxz::RadioGroup1Click(TObject*) {
  const bool local = RadioGroup1->GetItemIndex() == 0;
  Edit1->SetVisible(local);
  SpeedButton1->SetVisible(local);
  ComboBox1->SetVisible(!local);
}

void Tfrmstxz::SpeedButton1Click(TObject*) {
  if (OpenDialog1->Execute()) Edit1->SetText(OpenDialog1->GetFileName());
}

void Tfrmstxz::epFocusButton1Click(TObject*) {
  if (FDownloading) return;
  if (RadioGroup1->GetItemIndex() != 1) {
    const String path = Trim(Edit1->GetText());
    if (path.empty()) {
      Tell(L"提示", L"请点击文件夹按钮选择升级文件！", 1);
      return;
    }
    ApplyUpgrade(path);
    return;
  }
  const String address = Trim(ComboBox1->GetText());
  if (address.empty()) {
    Tell(L"提示", L"请选择升级文件所在网络地址！", 1);
    ComboBox1->SetText(kDefaultUpgradeAddress);
    if (ComboBox1->CanFocus()) ComboBox1->SetFocus();
    return;
  }
  StartDownload(address);
}

void Tfrmstxz::StartDownload(const String& address) {
  const String folder = IncludeTrailingBackslash(DownloadDir);
  if (!DirectoryExists(ExcludeTrailingBackslash(folder)) && !ForceDirectories(ExcludeTrailingBackslash(folder))) {
    throw Exception(L"无法创建临时目录！");
  }
  if (DM1->ADOCn2->GetConnected()) DM1->ADOCn2->Close();
  // A file left by an earlier run must not pass for this run's download.
  const String target = folder + kUpgradeFileName;
  if (FileExists(target) && !DeleteFileW(target.c_str())) {
    Tell(L"错误", L"未找到升级文件,请查看升级地址是否正确！", 2);
    return;
  }
  WebCopy1->GetItems()->Clear();
  TWebCopyItem* item = WebCopy1->GetItems()->Add();
  item->URL = address;
  item->TargetDir = folder;
  item->Protocol = wpHttp;
  FDownloadSucceeded = false;
  SetBusy(true);
  try {
    WebCopy1->Execute();
  } catch (...) {
    SetBusy(false);
    throw;
  }
}

void Tfrmstxz::SetBusy(bool busy) {
  FDownloading = busy;
  epFocusButton1->SetEnabled(!busy);
  epFocusButton3->SetEnabled(!busy);
}

void Tfrmstxz::WebCopy1CopyDone(TObject*) {
  FDownloadSucceeded = WebCopy1->GetSucceeded();
  PostMessageW(GetHandle(), WM_APPLY_DOWNLOADED, 0, 0);
}

void Tfrmstxz::Dispatch(TMessage& message) {
  if (message.Msg == WM_APPLY_DOWNLOADED) {
    ApplyDownloaded();
    return;
  }
  inherited::Dispatch(message);
}

void Tfrmstxz::ApplyDownloaded() {
  SetBusy(false);
  const String target = IncludeTrailingBackslash(DownloadDir) + kUpgradeFileName;
  if (!FDownloadSucceeded || !FileExists(target)) {
    Tell(L"错误", L"未找到升级文件,请查看升级地址是否正确！", 2);
    return;
  }
  ApplyUpgrade(target);
}

void Tfrmstxz::epFocusButton3Click(TObject*) {
  if (!FDownloading) Close();
}

void Tfrmstxz::FormCloseQuery(TObject*, bool& canClose) {
  canClose = !FDownloading;
  if (canClose && DM1->ADOCn2->GetConnected()) DM1->ADOCn2->Close();
}

bool Tfrmstxz::ApplyUpgrade(const String& file) {
  TADOConnection* cn2 = DM1->ADOCn2;
  TADOQuery* q2 = DM1->Cn2Query1;
  // The second connection is closed again whatever happens, so the file is never held.
  auto closeFile = [&] {
    try {
      q2->Close();
      cn2->Close();
    } catch (...) {
    }
  };
  try {
    if (cn2->GetConnected()) cn2->Close();
    if (!FileExists(file)) throw EDatabaseError(L"Could not find file '" + file + L"'.");
    cn2->SetConnectionString(DbConnectionString(file, L"\"\""));
    cn2->Open();
  } catch (const std::exception&) {
    closeFile();
    Tell(L"错误", L"无法打开升级文件！", 2);
    return false;
  }
  // The file's ids. A file that opens but cannot be read so (no tab_sj) is not told here:
  // the error goes on to the application's error message, nothing being changed yet.
  String sjbs, cpbs;
  bool found = false;
  try {
    q2->Close();
    q2->GetSQL()->SetText(L"select * from tab_sj");
    q2->Open();
    found = !q2->GetEof();
    if (found) {
      sjbs = q2->FieldByName(L"sjbs")->GetAsString();
      cpbs = q2->FieldByName(L"cpbs")->GetAsString();
    }
  } catch (...) {
    closeFile();
    throw;
  }
  closeFile();
  if (!found) {
    // A file that names no product belongs to none.
    Tell(L"提示", L"升级文件不属于本软件！", 1);
    return false;
  }

  TADOQuery* q1 = DM1->Cn1Query1;
  auto countOf = [&](const String& sql, const String& name, const String& value) {
    q1->Close();
    q1->GetSQL()->SetText(sql);
    q1->ParamByName(name)->SetValue(Variant(value));
    q1->Open();
    const bool any = !q1->GetEof();
    q1->Close();
    return any;
  };
  if (!countOf(L"select * from tab_sj where cpbs=:cpbs", L"cpbs", cpbs)) {
    Tell(L"提示", L"升级文件不属于本软件！", 1);
    return false;
  }
  if (countOf(L"select * from tab_sj where sjbs=:sjbs", L"sjbs", sjbs)) {
    Tell(L"提示", L"您已升级过了！", 1);
    return false;
  }

  TADOConnection* cn1 = DM1->ADOCn1;
  try {
    cn1->BeginTrans();
    try {
      for (const wchar_t* table : kUpgradeTables) {
        cn1->Execute(L"insert into " + String(table) + L" select * from " + table + L" in " + QuotedStr(file));
      }
      q1->Close();
      q1->GetSQL()->SetText(L"insert into tab_sj(sjbs,cpbs) values(:sjbs,:cpbs)");
      q1->ParamByName(L"sjbs")->SetValue(Variant(sjbs));
      q1->ParamByName(L"cpbs")->SetValue(Variant(cpbs));
      q1->ExecSQL();
      cn1->CommitTrans();
    } catch (...) {
      cn1->RollbackTrans();
      throw;
    }
  } catch (const std::exception&) {
    Tell(L"提示", L"升级失败！", 2);
    return false;
  }
  Tell(L"提示", L"升级成功！", 0);
  return true;
}
