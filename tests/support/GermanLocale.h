// The whole process runs under a German locale for the lifetime of the object,
// as it does for a user with LANG=de_DE.UTF-8: the system's messages
// (strerror) come in German, numbers with a decimal comma. The locale is built
// once with localedef into the test home and found through LOCPATH, which the
// C library reads at each setlocale.
#pragma once
#include <QByteArray>
#include <QString>

class GermanLocale {
 public:
  GermanLocale();
  ~GermanLocale();
  GermanLocale(const GermanLocale&) = delete;
  GermanLocale& operator=(const GermanLocale&) = delete;
  bool Active() const { return problem_.isEmpty(); }
  // Why it is not active.
  QString Problem() const { return problem_; }
  // Whether this system has what building the locale takes (the locales
  // package): where it has, a test that cannot set it fails rather than skips.
  static bool Buildable();

 private:
  QString problem_;
  QByteArray oldLocale_;
  QByteArray oldLocPath_, oldLcAll_;
  bool hadLocPath_ = false, hadLcAll_ = false;
};
