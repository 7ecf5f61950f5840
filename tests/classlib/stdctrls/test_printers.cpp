// The printer: the errors of a document that is not being printed, the choice of printer,
// and, where no printer is installed, the clear error every use of the printer gives. Where
// printers are installed their settings are read, without printing anything.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "classlib/stdctrls/Printers.h"
#include "tests/ErrorMessages.h"

namespace {

// The EPrinter message of what call raises; empty when it raises none.
String PrinterErrorOf(const std::function<void()>& call) {
  return ErrorMessageOf<EPrinter>(call, String());
}

TEST(Printer, ADocumentThatIsNotPrintingCannotEndAndBadIndexesAreRefused) {
  TPrinter printer;
  EXPECT_FALSE(printer.GetPrinting());
  for (const auto& call : std::vector<std::function<void()>>{
           [&] { printer.EndDoc(); }, [&] { printer.NewPage(); }, [&] { printer.Abort(); }})
    EXPECT_EQ(PrinterErrorOf(call), L"Printer is not currently printing");
  EXPECT_FALSE(printer.GetAborted());
  EXPECT_EQ(Printer(), Printer());

  const int count = printer.GetPrinters()->GetCount();
  for (int index : {count, -2, 1000000}) {
    EXPECT_EQ(PrinterErrorOf([&] { printer.SetPrinterIndex(index); }),
              L"Printer index out of range");
  }
}

TEST(Printer, WithoutPrintersEveryUseSaysThereIsNoDefaultPrinter) {
  TPrinter printer;
  if (printer.GetPrinters()->GetCount() > 0) GTEST_SKIP() << "printers are installed here";
  const String none = L"There is no default printer currently selected";
  EXPECT_EQ(PrinterErrorOf([&] { printer.GetPrinterIndex(); }), none);
  EXPECT_EQ(PrinterErrorOf([&] { printer.SetPrinterIndex(-1); }), none);
  EXPECT_EQ(PrinterErrorOf([&] { printer.GetHandle(); }), none);
  EXPECT_EQ(PrinterErrorOf([&] { printer.GetPageWidth(); }), none);
  EXPECT_EQ(PrinterErrorOf([&] { printer.GetOrientation(); }), none);
  EXPECT_EQ(PrinterErrorOf([&] { printer.SetOrientation(poLandscape); }), none);
  EXPECT_EQ(PrinterErrorOf([&] { printer.BeginDoc(); }), none);
  EXPECT_EQ(PrinterErrorOf([&] { printer.GetCanvas()->TextWidth(L"x"); }), none);
  EXPECT_FALSE(printer.GetPrinting());  // a failed BeginDoc leaves nothing half started
  printer.Refresh();
  EXPECT_EQ(printer.GetPrinters()->GetCount(), 0);
}

TEST(Printer, AnInstalledPrinterTellsItsPageAndTakesAnOrientation) {
  TPrinter printer;
  if (printer.GetPrinters()->GetCount() == 0) GTEST_SKIP() << "no printer is installed here";
  try {
    printer.SetPrinterIndex(0);
    const TPrinterOrientation before = printer.GetOrientation();
    printer.SetOrientation(poPortrait);
    const int portraitWidth = printer.GetPageWidth();
    const int portraitHeight = printer.GetPageHeight();
    EXPECT_GT(portraitWidth, 0);
    EXPECT_NE(printer.GetHandle(), nullptr);
    printer.SetOrientation(poLandscape);
    EXPECT_EQ(printer.GetOrientation(), poLandscape);
    if (portraitWidth != portraitHeight) {
      EXPECT_EQ(printer.GetPageWidth(), portraitHeight);
    }
    EXPECT_GT(printer.GetCanvas()->TextWidth(L"Chart"), 0);
    printer.SetOrientation(before);
  } catch (const EPrinter& e) {
    // A printer the system lists but cannot reach: the error must say so.
    EXPECT_EQ(e.Message(), L"Printer selected is not valid");
  }
}

}  // namespace
