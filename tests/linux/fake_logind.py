'''A fake systemd-logind for the LED service's tests (a python3-dbusmock template).

Debian's logind template with one active session, c1 on seat0, that the Manager finds as logind 252 does
(GetSession("auto"), GetSessionByPID), and Session.SetBrightness, which writes the brightness into the test's
fake LED folder as logind writes /sys/class/leds, and appends "<session> <device> <value>" to a journal.
Knobs (org.freedesktop.DBus.Mock on /org/freedesktop/login1):
  SetLamps(s folder, s journal)            where SetBrightness writes
  RefuseLamps(s error, s message)          SetBrightness raises that D-Bus error
  SetLampDelay(d seconds)                  each SetBrightness takes that long (a slow bus)
  SetSessionLookup(b auto, b by_pid)       which of the two lookups finds the session
Reset() puts every knob back.
'''
import os
import time

import dbus

from dbusmock import MOCK_IFACE, mockobject
from dbusmock.templates import logind
# The template's own methods come along with it (AddSession, ListSessions, ...).
from dbusmock.templates.logind import (BUS_NAME, MAIN_IFACE, MAIN_OBJ, SYSTEM_BUS,  # noqa: F401
                                       AddSeat, AddSession, AddUser, Inhibit, ListInhibitors, ListSessions,
                                       ListUsers)

SESSION_IFACE = 'org.freedesktop.login1.Session'
SESSION_PATH = '/org/freedesktop/login1/session/c1'


def knobs():
    return mockobject.objects[MAIN_OBJ].lamp_knobs


def get_session(_, session_id):
    if (session_id == 'auto' and knobs()['auto']) or session_id == 'c1':
        return dbus.ObjectPath(SESSION_PATH)
    raise dbus.exceptions.DBusException(f'No session "{session_id}" known',
                                        name='org.freedesktop.login1.NoSuchSession')


def get_session_by_pid(_, pid):
    if knobs()['by_pid']:
        return dbus.ObjectPath(SESSION_PATH)
    raise dbus.exceptions.DBusException(f'PID {pid} does not belong to any known session',
                                        name='org.freedesktop.login1.NoSessionForPID')


def set_brightness(session, subsystem, name, brightness):
    k = knobs()
    if k['delay']:
        time.sleep(k['delay'])
    if k['refuse']:
        raise dbus.exceptions.DBusException(k['refuse'][1], name=k['refuse'][0])
    if subsystem not in ('backlight', 'leds') or '/' in name:
        raise dbus.exceptions.DBusException(f'Not a valid device {subsystem}:{name}',
                                            name='org.freedesktop.DBus.Error.InvalidArgs')
    device = os.path.join(k['folder'], name)
    if not os.path.isdir(device):
        raise dbus.exceptions.DBusException(f'Failed to open device {subsystem}:{name}: No such device',
                                            name='System.Error.ENODEV')
    with open(os.path.join(device, 'brightness'), 'w', encoding='ascii') as f:
        f.write(f'{int(brightness)}\n')
    if k['journal']:
        with open(k['journal'], 'a', encoding='ascii') as f:
            f.write(f'{session.path} {name} {int(brightness)}\n')


def load(mock, parameters):
    logind.load(mock, parameters)
    mock.lamp_knobs = {'folder': '', 'journal': '', 'refuse': None, 'delay': 0.0, 'auto': True, 'by_pid': True}
    mock.AddMethod(MAIN_IFACE, 'GetSession', 's', 'o', get_session)
    mock.AddMethod(MAIN_IFACE, 'GetSessionByPID', 'u', 'o', get_session_by_pid)
    mock.AddSession('c1', 'seat0', dbus.UInt32(os.getuid()), 'user', True)
    mockobject.objects[SESSION_PATH].AddMethod(SESSION_IFACE, 'SetBrightness', 'ssu', '', set_brightness)


@dbus.service.method(MOCK_IFACE, in_signature='ss', out_signature='')
def SetLamps(self, folder, journal):
    self.lamp_knobs.update(folder=str(folder), journal=str(journal))


@dbus.service.method(MOCK_IFACE, in_signature='ss', out_signature='')
def RefuseLamps(self, error, message):
    self.lamp_knobs['refuse'] = (str(error), str(message)) if error else None


@dbus.service.method(MOCK_IFACE, in_signature='d', out_signature='')
def SetLampDelay(self, seconds):
    self.lamp_knobs['delay'] = float(seconds)


@dbus.service.method(MOCK_IFACE, in_signature='bb', out_signature='')
def SetSessionLookup(self, by_auto, by_pid):
    self.lamp_knobs.update(auto=bool(by_auto), by_pid=bool(by_pid))
