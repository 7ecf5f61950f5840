// Test support for the data-aware controls: a host window with a data source over the
// questions test data set, and the window helpers of the standard controls' tests (keys,
// typing and clicks delivered as real messages through the application's message loop).
#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "TestDataSet.h"
#include "tests/classlib/stdctrls/EditTestSupport.h"
#include "tests/classlib/stdctrls/GridTestSupport.h"

namespace db_window_tests {

// A host window at (100, 100), 500 x 400, with the data source Source over Data.
class DBWindowTest : public DBTest {
 protected:
  void SetUp() override {
    DBTest::SetUp();
    edit_tests::KeyTargetRef() = nullptr;
    Host = std::make_unique<grid_tests::TTestHost>(100, 100, 500, 400);
    Source = new TDataSource(Host.get());
    Source->SetDataSet(&Data);
  }
  void TearDown() override {
    Host.reset();
    grid_tests::Pump();
    DBTest::TearDown();
  }
  // Shows the host, active.
  void ShowHost() {
    Host->ShowHost();
    grid_tests::ActivateHost(Host.get());
  }
  template <class T>
  T* Place(const TRect& bounds) {
    T* control = new T(Host.get());
    control->SetParent(Host.get());
    control->SetBoundsRect(bounds);
    return control;
  }

  std::unique_ptr<grid_tests::TTestHost> Host;
  TDataSource* Source = nullptr;  // owned by Host
};

// The read-only style of an edit window.
inline bool WindowReadOnly(TWinControl* edit) {
  return (::GetWindowLongW(edit->GetHandle(), GWL_STYLE) & ES_READONLY) != 0;
}

}  // namespace db_window_tests
