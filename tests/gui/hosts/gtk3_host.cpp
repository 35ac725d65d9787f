// A GTK3 program with the GUI embedded in its window: GTK's own window and main loop,
// which watches the GUI's message descriptor beside its own sources.
#include <gdk/gdkx.h>
#include <glib-unix.h>
#include <gtk/gtk.h>

#include "embed_page.h"

using namespace embed_host;

namespace {

Page page;
std::string pending;

gboolean draw(GtkWidget*, cairo_t* cr, gpointer) {
    cairo_set_source_rgb(cr, (kHostRgb >> 16) / 255.0, (kHostRgb >> 8 & 255) / 255.0,
                         (kHostRgb & 255) / 255.0);
    cairo_paint(cr);
    return TRUE;
}

gboolean guiReady(int, GIOCondition, gpointer) {
    dispatchGui();
    return G_SOURCE_CONTINUE;
}

gboolean commands(int, GIOCondition, gpointer) {
    if (readCommands(page, pending)) return G_SOURCE_CONTINUE;
    gtk_main_quit();
    return G_SOURCE_REMOVE;
}

gboolean mapped(GtkWidget* w, GdkEvent*, gpointer) {
    if (!startGui(page, gdk_x11_window_get_xid(gtk_widget_get_window(w)))) std::exit(3);
    g_unix_fd_add(ZuGetMessageFd(), G_IO_IN, guiReady, nullptr);
    g_unix_fd_add(0, G_IO_IN, commands, nullptr);
    return FALSE;
}

gboolean hostClick(GtkWidget*, GdkEvent*, gpointer) {
    say("hostclick");
    return FALSE;
}

gboolean hostKey(GtkWidget*, GdkEventKey* e, gpointer) {
    say("hostkey %s", gdk_keyval_name(e->keyval));
    return FALSE;
}

}  // namespace

int main(int argc, char** argv) {
    gdk_set_allowed_backends("x11");
    if (!gtk_init_check(&argc, &argv)) return 2;
    GtkWidget* win = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(win), kHostW, kHostH);
    gtk_window_move(GTK_WINDOW(win), 0, 0);
    GtkWidget* area = gtk_drawing_area_new();
    gtk_widget_add_events(area, GDK_BUTTON_PRESS_MASK);
    gtk_container_add(GTK_CONTAINER(win), area);
    g_signal_connect(area, "draw", G_CALLBACK(draw), nullptr);
    g_signal_connect(area, "button-press-event", G_CALLBACK(hostClick), nullptr);
    g_signal_connect(win, "key-press-event", G_CALLBACK(hostKey), nullptr);
    g_signal_connect(win, "map-event", G_CALLBACK(mapped), nullptr);
    g_signal_connect(win, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    gtk_widget_show_all(win);
    gtk_main();
    ZUStopGUI();
    ZUKillGUI();
    page.DestroyZUWindow();
    return 0;
}
