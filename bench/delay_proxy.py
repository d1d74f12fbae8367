#!/usr/bin/env python3
"""A TCP proxy that delays every byte by a fixed time each way, for
benchmarks of many round trips (this kernel has no netem).

    delay_proxy.py LISTEN_PORT TARGET_PORT [--delay-ms 25] [--mbit 0] [--stats FILE]

Each direction of each connection keeps its order; with --mbit the bytes of
all connections share one line of that rate per direction. --stats names a
file that gets the connections accepted and the most open at once, written
whenever a connection closes.
"""
import argparse
import asyncio
import time


class Line:
    """One direction of the shared line: when it is free again."""

    def __init__(self, bytes_per_second):
        self.rate = bytes_per_second
        self.free_at = 0.0

    def delivery(self, size, delay):
        now = time.monotonic()
        if self.rate <= 0:
            return now + delay
        start = max(now, self.free_at)
        self.free_at = start + size / self.rate
        return self.free_at + delay


class Stats:
    def __init__(self, path):
        self.path = path
        self.accepted = 0
        self.open = 0
        self.most_open = 0

    def opened(self):
        self.accepted += 1
        self.open += 1
        self.most_open = max(self.most_open, self.open)

    def closed(self):
        self.open -= 1
        if self.path:
            with open(self.path, "w") as out:
                out.write("accepted %d\nmost_open %d\n" % (self.accepted, self.most_open))


async def pump(reader, writer, line, delay):
    queue = asyncio.Queue()

    async def deliver():
        while True:
            item = await queue.get()
            if item is None:
                break
            due, data = item
            wait = due - time.monotonic()
            if wait > 0:
                await asyncio.sleep(wait)
            writer.write(data)
            await writer.drain()
        try:
            writer.write_eof()
        except (OSError, RuntimeError):
            pass

    sender = asyncio.ensure_future(deliver())
    try:
        while True:
            data = await reader.read(65536)
            if not data:
                break
            queue.put_nowait((line.delivery(len(data), delay), data))
            # Bounded memory: a fast sender waits for the line.
            while queue.qsize() > 64:
                await asyncio.sleep(0.001)
    except (ConnectionError, OSError):
        pass
    queue.put_nowait(None)
    try:
        await sender
    except (ConnectionError, OSError):
        pass


async def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("listen_port", type=int)
    parser.add_argument("target_port", type=int)
    parser.add_argument("--delay-ms", type=float, default=25.0)
    parser.add_argument("--mbit", type=float, default=0.0)
    parser.add_argument("--stats", default="")
    args = parser.parse_args()
    delay = args.delay_ms / 1000.0
    rate = args.mbit * 1e6 / 8
    up, down = Line(rate), Line(rate)
    stats = Stats(args.stats)

    async def serve(client_reader, client_writer):
        stats.opened()
        try:
            server_reader, server_writer = await asyncio.open_connection("127.0.0.1", args.target_port)
        except OSError:
            client_writer.close()
            stats.closed()
            return
        await asyncio.gather(pump(client_reader, server_writer, up, delay),
                             pump(server_reader, client_writer, down, delay))
        for writer in (client_writer, server_writer):
            writer.close()
        stats.closed()

    server = await asyncio.start_server(serve, "127.0.0.1", args.listen_port, backlog=1024)
    async with server:
        await server.serve_forever()


if __name__ == "__main__":
    asyncio.run(main())
