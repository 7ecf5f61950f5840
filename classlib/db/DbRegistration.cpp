#include "DbRegistration.h"

#include "../classes/ClassRegistry.h"
#include "DB.h"
#include "DBCtrls.h"
#include "DBGrids.h"

void RegisterDbClasses() {
  RegisterClasses({
      TDataSource::StaticClassInfo(),     TStringField::StaticClassInfo(),
      TWideStringField::StaticClassInfo(), TIntegerField::StaticClassInfo(),
      TSmallintField::StaticClassInfo(),  TAutoIncField::StaticClassInfo(),
      TFloatField::StaticClassInfo(),     TCurrencyField::StaticClassInfo(),
      TBooleanField::StaticClassInfo(),   TDateTimeField::StaticClassInfo(),
      TBlobField::StaticClassInfo(),      TMemoField::StaticClassInfo(),
      TGraphicField::StaticClassInfo(),
      // The data-aware controls.
      TDBText::StaticClassInfo(),         TDBEdit::StaticClassInfo(),
      TDBMemo::StaticClassInfo(),         TDBGrid::StaticClassInfo(),
  });
}
