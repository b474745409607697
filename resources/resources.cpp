// The resources of this library are registered by the object files Qt's resource compiler
// adds to it; this file only gives the library a translation unit of its own.
namespace orvale_resources {
int anchor = 0;
}
