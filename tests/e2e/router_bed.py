"""A household's router of the test's own: Debian's miniupnpd in a network namespace between
a "pc" namespace (where the meter runs under Wine), a "phone" namespace (a second LAN link
whose traffic the PC never sees) and an "isp" namespace with sink, echo and source servers.

    pc     pc0 192.168.77.2/24 --- lan0 192.168.77.1/24  router: miniupnpd on lan0,
    phone  ph0 192.168.78.2/24 --- lan1 192.168.78.1/24          nftables forward + masquerade
                                   wan0 100.64.7.2/24  --- isp0 100.64.7.1/24  isp

Every link is a veth whose two ends live in namespaces made here, so nothing reaches the
machine's real interfaces: SSDP stays on the pc/router link, and the isp namespace has no
route anywhere. IPv6 is off inside them (its chatter would show in the counters). Names carry
a prefix new for each start; the run's folder records it with each namespace's inode, so
`stop` removes only what this folder's start made, also after a killed run.

As a command (root): python3 router_bed.py RUN_DIR start (holds the bed until interrupted) |
stop | status | counters | traffic MB up|down pc|phone | renew
"""

import ctypes
import json
import os
import secrets
import signal
import socket
import subprocess
import sys
import time

LINKS = {"pc": ("pc0", "lan0", "192.168.77"), "phone": ("ph0", "lan1", "192.168.78")}
WAN_IF, ISP_IF = "wan0", "isp0"
WAN_IP, ISP_IP = "100.64.7.2", "100.64.7.1"  # shared address space: a CGNAT-style WAN
HTTP_PORT = 5000
ROOT_DESC = f"http://192.168.77.1:{HTTP_PORT}/rootDesc.xml"
SINK, ECHO, SOURCE = 9000, 9001, 9002
UUID = "5e11170e-0000-4000-8000-00000000c0de"
FRIENDLY_NAME = "Pelliton test router"
MINIUPNPD = "/usr/sbin/miniupnpd"
ROLES = ("pc", "router", "isp", "phone")

CONF = """ext_ifname={wan}
listening_ip=lan0
http_port={port}
enable_upnp=yes
enable_natpmp=no
ipv6_disable=yes
secure_mode=yes
system_uptime=no
uuid={uuid}
friendly_name={name}
serial=PELTEST1
model_number=1
bitrate_down=50000000
bitrate_up=10000000
notify_interval=60
lease_file={run}/upnp.leases
minissdpdsocket={run}/no-minissdpd.sock
upnp_table_name=filter
upnp_nat_table_name=filter
upnp_forward_chain=miniupnpd
upnp_nat_chain=prerouting_miniupnpd
upnp_nat_postrouting_chain=postrouting_miniupnpd
allow 1024-65535 192.168.77.0/24 1024-65535
deny 0-65535 0.0.0.0/0 0-65535
"""
# The chains miniupnpd's nftables build expects, a LAN-to-WAN forward and masquerade (the isp
# side needs no route back to the LANs).
NFT = """table inet filter {
    chain forward {
        type filter hook forward priority 0; policy drop;
        ct state established,related accept
        iifname { "lan0", "lan1" } oifname "wan0" accept
        jump miniupnpd
    }
    chain miniupnpd {
    }
    chain prerouting {
        type nat hook prerouting priority -100; policy accept;
        jump prerouting_miniupnpd
    }
    chain postrouting {
        type nat hook postrouting priority 100; policy accept;
        jump postrouting_miniupnpd
        oifname "wan0" masquerade
    }
    chain prerouting_miniupnpd {
    }
    chain postrouting_miniupnpd {
    }
}
"""


def _die_with_parent():
    ctypes.CDLL("libc.so.6", use_errno=True).prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG


def _run(*args, timeout=20, check=True, **kwargs):
    result = subprocess.run([str(a) for a in args], timeout=timeout, text=True,
                            stdin=kwargs.pop("stdin", subprocess.DEVNULL),
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, **kwargs)
    if check and result.returncode:
        raise RuntimeError(f"{' '.join(map(str, args))} failed: {result.stdout.strip()}")
    return result.stdout


def _inode(path):
    try:
        return os.stat(path).st_ino
    except OSError:
        return None


class RouterBed:
    def __init__(self, run_dir):
        self.run_dir = os.path.abspath(run_dir)
        self.state_file = os.path.join(self.run_dir, "bed.json")
        self.daemons = {}  # name: Popen, of this process's start
        self.carried = (0, 0)  # what the WAN interfaces that renew() replaced had counted
        self.state = {"prefix": None, "netns": {}}
        if os.path.exists(self.state_file):
            with open(self.state_file) as f:
                self.state = json.load(f)

    def ns(self, role):
        return self.state["prefix"] + role

    def exec_in(self, role):
        return ["ip", "netns", "exec", self.ns(role)]

    def _save(self):
        os.makedirs(self.run_dir, exist_ok=True)
        with open(self.state_file + ".new", "w") as f:
            json.dump(self.state, f)
        os.replace(self.state_file + ".new", self.state_file)

    # -- start and stop --

    def start(self):
        self.stop()  # what a killed run of this folder left
        self.state = {"prefix": "pel" + secrets.token_hex(3), "netns": {}}
        for role in ROLES:
            name = self.ns(role)
            _run("ip", "netns", "add", name)
            self.state["netns"][name] = _inode(f"/run/netns/{name}")
            self._save()
            _run("ip", "-n", name, "link", "set", "lo", "up")
            _run(*self.exec_in(role), "sysctl", "-qw", "net.ipv6.conf.all.disable_ipv6=1",
                 "net.ipv6.conf.default.disable_ipv6=1")
        for host, (near, far, net) in LINKS.items():  # veths made inside the namespaces
            self._link(host, near, f"{net}.2", far, f"{net}.1")
            _run("ip", "-n", self.ns(host), "route", "add", "default", "via", f"{net}.1")
        self._link("router", WAN_IF, WAN_IP, ISP_IF, ISP_IP, far_role="isp")
        _run(*self.exec_in("router"), "sysctl", "-qw", "net.ipv4.ip_forward=1")
        self._write("router.nft", NFT)
        _run(*self.exec_in("router"), "nft", "-f", os.path.join(self.run_dir, "router.nft"))
        self._write("miniupnpd.conf", CONF.format(wan=WAN_IF, port=HTTP_PORT, uuid=UUID,
                                                  name=FRIENDLY_NAME, run=self.run_dir))
        self._spawn("sink", "isp", "socat", "-u", f"TCP-LISTEN:{SINK},bind={ISP_IP},reuseaddr,fork",
                    "OPEN:/dev/null")
        self._spawn("echo", "isp", "socat", f"TCP-LISTEN:{ECHO},bind={ISP_IP},reuseaddr,fork",
                    "PIPE")
        self._spawn("source", "isp", "socat",
                    f"TCP-LISTEN:{SOURCE},bind={ISP_IP},reuseaddr,fork",
                    "SYSTEM:read n; exec head -c \"$n\" /dev/zero")
        self._start_miniupnpd()
        self._wait_listening("isp", SOURCE)

    def stop(self):
        """Ends every process in this folder's namespaces and deletes them; a namespace of the
        recorded name that another start made is left alone."""
        ours = [name for name, ino in self.state["netns"].items()
                if ino is not None and _inode(f"/run/netns/{name}") == ino]
        pids = lambda: [int(p) for name in ours
                        for p in _run("ip", "netns", "pids", name, check=False).split()]
        for sig in (signal.SIGTERM, signal.SIGKILL):
            for pid in pids():
                try:
                    os.kill(pid, signal.SIGCONT)
                    os.kill(pid, sig)
                except ProcessLookupError:
                    pass
            deadline = time.monotonic() + 3
            while time.monotonic() < deadline and pids():
                time.sleep(0.05)
        for name in ours:
            _run("ip", "netns", "del", name, check=False)
        for proc in self.daemons.values():
            proc.wait(5)
        self.daemons = {}
        if RouterBed(self.run_dir).state["prefix"] == self.state["prefix"]:  # not a newer start's
            for name in ("bed.json", "upnp.leases"):
                if os.path.exists(os.path.join(self.run_dir, name)):
                    os.remove(os.path.join(self.run_dir, name))
        self.state = {"prefix": None, "netns": {}}

    def _link(self, role, near, near_ip, far, far_ip, far_role="router"):
        a, b = self.ns(role), self.ns(far_role)
        _run("ip", "-n", a, "link", "add", near, "type", "veth", "peer", "name", far, "netns", b)
        _run("ip", "-n", a, "addr", "add", f"{near_ip}/24", "dev", near)
        _run("ip", "-n", b, "addr", "add", f"{far_ip}/24", "dev", far)
        _run("ip", "-n", a, "link", "set", near, "up")
        _run("ip", "-n", b, "link", "set", far, "up")

    def _write(self, name, text):
        with open(os.path.join(self.run_dir, name), "w") as f:
            f.write(text)

    def _spawn(self, name, role, *command):
        log = open(os.path.join(self.run_dir, name + ".log"), "ab")
        with log:  # `ip netns exec` execs in place: the pid is the daemon's own
            proc = subprocess.Popen([*self.exec_in(role), *command], stdin=subprocess.DEVNULL,
                                    stdout=log, stderr=log, preexec_fn=_die_with_parent)
        self.daemons[name] = proc
        return proc

    def _wait_listening(self, role, port, proc=None):
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            if "LISTEN" in _run(*self.exec_in(role), "ss", "-Hltn", f"sport = :{port}"):
                return
            if proc and proc.poll() is not None:
                break
            time.sleep(0.05)
        raise RuntimeError(f"nothing listens on port {port} in {self.ns(role)}")

    def _start_miniupnpd(self):
        # -P: a pid file of its own (it refuses to start while the default one names a process)
        proc = self._spawn("miniupnpd", "router", MINIUPNPD, "-d", "-f",
                           os.path.join(self.run_dir, "miniupnpd.conf"), "-P",
                           os.path.join(self.run_dir, "miniupnpd.self.pid"))
        self._wait_listening("router", HTTP_PORT, proc)

    # -- the router's life --

    def renew(self):
        """A new WAN interface under the running daemon (a PPPoE-style reconnect): the
        counters start from zero while the daemon's uptime goes on."""
        self.carried = self.moved()
        _run("ip", "-n", self.ns("router"), "link", "del", WAN_IF)
        self._link("router", WAN_IF, WAN_IP, ISP_IF, ISP_IP, far_role="isp")

    def reboot(self):
        """The daemon restarted with a new WAN interface: counters and uptime from zero."""
        proc = self.daemons.pop("miniupnpd")
        proc.terminate()
        proc.wait(10)
        self.renew()
        self._start_miniupnpd()

    def restart_service(self):
        """The daemon restarted on the same WAN interface (a settings change): its uptime
        from zero while the counters carry on."""
        proc = self.daemons.pop("miniupnpd")
        proc.terminate()
        proc.wait(10)
        self._start_miniupnpd()

    def hold(self, stopped=True):
        """miniupnpd stopped (SIGSTOP) or continued: a router that does not answer."""
        os.kill(self.daemons["miniupnpd"].pid, signal.SIGSTOP if stopped else signal.SIGCONT)

    # -- what the router counted --

    def counters(self, role="router", link=WAN_IF):
        """A link's bytes (received, sent) from its namespace's /proc/net/dev; by default the
        router's WAN interface: the household's download and upload."""
        for line in _run(*self.exec_in(role), "cat", "/proc/net/dev").splitlines():
            name, _, rest = line.partition(":")
            if name.strip() == link:
                fields = rest.split()
                return int(fields[0]), int(fields[8])
        raise RuntimeError(f"no {link} in {self.ns(role)}")

    def moved(self):
        """The bytes the router's internet side received and sent since start(), across
        renewals."""
        return tuple(map(sum, zip(self.carried, self.counters())))

    def upnp_counters(self):
        """(received, sent) as Debian's upnpc reads them over UPnP from the pc namespace (the
        library keeps 32 bits)."""
        out = _run(*self.exec_in("pc"), "upnpc", "-u", ROOT_DESC, "-s", timeout=30, check=False)
        for line in out.splitlines():
            fields = line.split()
            if fields[:1] == ["Bytes:"] and len(fields) >= 5:
                return int(fields[4]), int(fields[2])
        raise RuntimeError(f"upnpc gave no byte counters: {out.strip()}")

    # -- traffic through the router --

    def traffic(self, nbytes, direction="up", host="pc", rate=0):
        """Moves nbytes of payload between `host` and the isp; returns the bytes moved."""
        return int(_run(*self.exec_in(host), sys.executable, os.path.abspath(__file__),
                        "--client", direction, nbytes, rate, timeout=120))

    def flow(self, direction="up", host="phone", rate=1 << 20):
        """Traffic at about `rate` bytes a second until the returned Popen is ended (SIGTERM:
        it prints the bytes it moved)."""
        return subprocess.Popen([*self.exec_in(host), sys.executable, os.path.abspath(__file__),
                                 "--client", direction, "0", str(rate)], text=True,
                                stdout=subprocess.PIPE, preexec_fn=_die_with_parent)


def end_flow(proc):
    proc.terminate()
    out, _ = proc.communicate(timeout=10)
    return int(out or 0)


def _client(direction, nbytes, rate):
    """Runs inside a namespace: moves nbytes (0: until SIGTERM) to the sink or from the
    source, at most `rate` bytes a second (0: as fast as it goes); prints what it moved."""
    moved, block = 0, 1 << 16
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    started = time.monotonic()
    try:
        with socket.socket() as s:
            s.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, block)
            s.settimeout(60)
            s.connect((ISP_IP, SINK if direction == "up" else SOURCE))
            if direction == "down":
                s.sendall(b"%d\n" % (nbytes or 1 << 50))
            data = bytes(block)
            while not nbytes or moved < nbytes:
                size = min(block, nbytes - moved) if nbytes else block
                if direction == "up":
                    s.sendall(data[:size])
                else:
                    size = len(s.recv(size))
                    if not size:
                        break
                moved += size
                if rate:
                    time.sleep(max(0.0, moved / rate - (time.monotonic() - started)))
    finally:
        print(moved, flush=True)


def main(argv):
    if argv[:1] == ["--client"]:
        return _client(argv[1], int(argv[2]), int(argv[3]))
    bed, command = RouterBed(argv[0]), argv[1:]
    if command == ["start"]:
        try:
            bed.start()
        except BaseException:
            bed.stop()
            raise
        print(f"up: {bed.state['prefix']}{{{','.join(ROLES)}}}, {ROOT_DESC}")
        # the daemons die with this process: hold it until interrupted
        signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
        try:
            signal.pause()
        finally:
            bed.stop()
    elif command == ["stop"]:
        bed.stop()
    elif command == ["counters"]:
        print("kernel wan0 (received, sent):", bed.counters())
        print("upnpc (received, sent):", bed.upnp_counters())
    elif command[:1] == ["traffic"] and len(command) == 4:
        print(bed.traffic(int(command[1]) * 1000000, command[2], command[3]), "bytes")
    elif command == ["renew"]:
        bed.renew()
    elif command == ["status"]:
        print(json.dumps(bed.state))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
