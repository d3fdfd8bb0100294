#include "sourcestest.h"
#include "testmain.h"
#include "webpanetest.h"

#include <QApplication>

#ifdef __SANITIZE_ADDRESS__
// The engine's own library frees some objects through a base of another size; that is not ours to find.
extern "C" const char* __asan_default_options()
{
    return "new_delete_type_mismatch=0";
}
#endif

int main(int argc, char* argv[])
{
    return runTestClasses<QApplication, WebPaneTest, SourcesTest>(argc, argv);
}
