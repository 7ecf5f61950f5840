// The event handlers of a root class (a form or a data module) by name.
//
// A stored layout names handlers ("OnClick = Button1Click"). The root class registers a
// table of its handlers once; the layout reader then binds each named handler to the root
// instance being read, and the writer finds the name of a bound handler again:
//
//   void TForm1::RegisterHandlers() {   // or any start-up code of the unit
//     using M = TPublishMethods<TForm1>;
//     RegisterMethods<TForm1>({
//         M::Handler(L"Button1Click", &TForm1::Button1Click),
//         M::Handler(L"FormShow", &TForm1::FormShow),
//     });
//   }
//
// A handler bound this way is a std::function of the event's own type (TNotifyEvent for
// void(TObject*)), so it can be assigned to any event of that type. Lookups walk the class
// chain, most derived class first, and compare names without regard to case. The registry
// is shared by every thread and guarded by a lock.
#pragma once
#include <any>
#include <functional>
#include <initializer_list>
#include <type_traits>
#include <utility>
#include <vector>
#include "Object.h"

// One handler of a root class.
struct TMethodEntry {
  const wchar_t* Name;  // static string; not owned
  // Makes the event value that calls the handler on root: a std::function of the event's
  // type held in a std::any. root must be of the registering class (or derived from it).
  std::function<std::any(TObject* root)> Bind;
  // True when code (an event value as a property getter gives it) is this handler bound
  // to root.
  std::function<bool(const std::any& code, TObject* root)> Matches;
};

// Registers the handlers of cls, replacing any table registered for it before.
void RegisterMethods(const TClassInfo* cls, std::initializer_list<TMethodEntry> entries);
template <class T>
void RegisterMethods(std::initializer_list<TMethodEntry> entries) {
  RegisterMethods(T::StaticClassInfo(), entries);
}
// Removes the table of cls; nothing when it has none.
void UnRegisterMethods(const TClassInfo* cls);

// The handler of that name that cls or an ancestor registered (a copy); false when none.
bool FindMethodEntry(const TClassInfo* cls, const String& name, TMethodEntry& entry);
// The name of the registered handler that code is bound to on root (root's class and its
// ancestors are searched); empty when code is no registered handler of root.
String FindMethodName(const TObject* root, const std::any& code);

// Calls a handler of a root class; what a bound event holds.
template <class T, class C, class R, class... Args>
struct TBoundHandler {
  T* Root;                       // the instance the handler runs on; not owned
  R (C::*Handler)(Args...);      // the member function
  R operator()(Args... args) const { return (Root->*Handler)(std::forward<Args>(args)...); }
};

// Makes the entries of T's table.
template <class T>
class TPublishMethods {
 public:
  // A handler that is a member function of T or of an ancestor of T. The event type is
  // std::function of the member function's signature.
  template <class C, class R, class... Args>
  static TMethodEntry Handler(const wchar_t* name, R (C::*handler)(Args...)) {
    static_assert(std::is_base_of_v<C, T>, "the handler belongs to the root class");
    using TEvent = std::function<R(Args...)>;
    using TBound = TBoundHandler<T, C, R, Args...>;
    return TMethodEntry{
        name,
        [handler](TObject* root) -> std::any {
          return TEvent(TBound{static_cast<T*>(root), handler});
        },
        [handler](const std::any& code, TObject* root) {
          const TEvent* event = std::any_cast<TEvent>(&code);
          if (!event) return false;
          const TBound* bound = event->template target<TBound>();
          return bound && bound->Root == static_cast<T*>(root) && bound->Handler == handler;
        }};
  }
};
