// Vigilamp Rizu!'s window service for GNOME Shell, whose compositor shows its windows to no other program: the
// windows, minimise and close on the session bus, with signals for new windows, renames and attention. Nothing
// else. GNOME Shell 43 and 44 (the imports form).
'use strict';

const {Gio, GLib, Meta} = imports.gi;

const BUS_NAME = 'org.example.vigilamp.Windows';
const OBJECT_PATH = '/org/example/vigilamp/Windows';
// A window's record: id, class, app id, title, process id (0: unknown), asks for attention.
const RECORD = '(tsssub)';
const INTERFACE = `
<node>
  <interface name="org.example.vigilamp.Windows1">
    <method name="List"><arg name="windows" type="a${RECORD}" direction="out"/></method>
    <method name="Minimise"><arg name="id" type="t" direction="in"/><arg name="done" type="b" direction="out"/></method>
    <method name="Close"><arg name="id" type="t" direction="in"/><arg name="done" type="b" direction="out"/></method>
    <signal name="WindowAdded">${recordArgs()}</signal>
    <signal name="WindowChanged">${recordArgs()}</signal>
    <signal name="WindowAttention">${recordArgs()}</signal>
    <signal name="WindowRemoved"><arg name="id" type="t"/></signal>
  </interface>
</node>`;

function recordArgs() {
    return ['t id', 's class', 's appId', 's title', 'u pid', 'b attention']
        .map(arg => `<arg name="${arg.split(' ')[1]}" type="${arg.split(' ')[0]}"/>`).join('');
}

// The windows a person sees as windows: not menus, tooltips, docks or the desktop.
const LISTED_TYPES = [Meta.WindowType.NORMAL, Meta.WindowType.DIALOG, Meta.WindowType.MODAL_DIALOG,
    Meta.WindowType.UTILITY];

function listed(window) {
    return !window.is_override_redirect() && LISTED_TYPES.includes(window.get_window_type());
}

// The class is the X11 class, or for a Wayland client its app id, which mutter keeps as its class; the app id
// is the one the application names itself by where it does (sandboxed or GTK), else the class.
function record(window) {
    const className = window.get_wm_class() || '';
    const appId = window.get_sandboxed_app_id() || window.get_gtk_application_id() || className;
    const pid = Math.max(window.get_pid(), 0);
    return new GLib.Variant(RECORD, [window.get_id(), className, appId, window.get_title() || '', pid,
        window.demands_attention || window.urgent]);
}

class WindowService {
    constructor() {
        this._dbus = Gio.DBusExportedObject.wrapJSObject(INTERFACE, this);
        this._watched = new Map();  // window -> its signal ids
        this._asking = new Map();   // window -> whether it asked for attention at the last look
    }

    start() {
        this._dbus.export(Gio.DBus.session, OBJECT_PATH);
        const display = global.display;
        this._displaySignals = [
            display.connect('window-created', (_display, window) => this._add(window, true)),
            display.connect('window-demands-attention', (_display, window) => this._attention(window)),
            display.connect('window-marked-urgent', (_display, window) => this._attention(window)),
        ];
        for (const actor of global.get_window_actors())
            this._add(actor.meta_window, false);
        // The name comes last: a client that sees it can ask at once.
        this._owner = Gio.bus_own_name_on_connection(Gio.DBus.session, BUS_NAME, Gio.BusNameOwnerFlags.NONE,
            null, null);
    }

    stop() {
        Gio.bus_unown_name(this._owner);
        for (const id of this._displaySignals)
            global.display.disconnect(id);
        for (const [window, ids] of this._watched)
            ids.forEach(id => window.disconnect(id));
        this._watched.clear();
        this._asking.clear();
        this._dbus.unexport();
    }

    _add(window, announce) {
        if (this._watched.has(window))
            return;
        const renamed = () => {
            if (listed(window))
                this._emit('WindowChanged', window);
        };
        this._watched.set(window, [
            window.connect('notify::title', renamed),
            window.connect('notify::wm-class', renamed),
            window.connect('notify::demands-attention', () => this._attention(window)),
            window.connect('notify::urgent', () => this._attention(window)),
            window.connect('unmanaged', () => this._remove(window)),
        ]);
        this._asking.set(window, window.demands_attention || window.urgent);
        if (announce && listed(window))
            this._emit('WindowAdded', window);
    }

    _remove(window) {
        const ids = this._watched.get(window);
        if (!ids)
            return;
        ids.forEach(id => window.disconnect(id));
        this._watched.delete(window);
        this._asking.delete(window);
        if (listed(window))
            this._dbus.emit_signal('WindowRemoved', new GLib.Variant('(t)', [window.get_id()]));
    }

    // Once as a window begins to ask, not again while it keeps asking.
    _attention(window) {
        const now = window.demands_attention || window.urgent;
        const before = this._asking.get(window);
        this._asking.set(window, now);
        if (now && !before && listed(window))
            this._emit('WindowAttention', window);
    }

    _emit(signal, window) {
        this._dbus.emit_signal(signal, record(window));
    }

    _find(id) {
        for (const window of this._watched.keys()) {
            if (window.get_id() === id && listed(window))
                return window;
        }
        return null;
    }

    // The bus methods.
    List() {
        const windows = [...this._watched.keys()].filter(listed).sort((a, b) => a.get_id() - b.get_id());
        return windows.map(window => record(window).deepUnpack());
    }

    Minimise(id) {
        const window = this._find(id);
        if (!window || !window.can_minimize())
            return false;
        window.minimize();
        return true;
    }

    Close(id) {
        const window = this._find(id);
        if (!window || !window.can_close())
            return false;
        window.delete(global.get_current_time());
        return true;
    }
}

class Extension {
    enable() {
        this._service = new WindowService();
        this._service.start();
    }

    disable() {
        this._service.stop();
        this._service = null;
    }
}

function init() {
    return new Extension();
}
