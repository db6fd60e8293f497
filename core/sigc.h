// The small signal interface the box's code is written against, mapped
// onto the installed libsigc++.
#pragma once

#include <sigc++/sigc++.h>

namespace SigC {

// Base of every class whose members are connected to signals. The old
// interface gave it a virtual destructor, and our classes rely on that.
class Object : public sigc::trackable {
  public:
    virtual ~Object() = default;
};

template <class R> using Signal0 = sigc::signal<R()>;
template <class R, class A1> using Signal1 = sigc::signal<R(A1)>;

template <class T, class R, class... A> inline auto slot(T &obj, R (T::*method)(A...)) {
    return sigc::mem_fun(obj, method);
}

template <class R, class... A> inline auto slot(R (*function)(A...)) {
    return sigc::ptr_fun(function);
}

} // namespace SigC
