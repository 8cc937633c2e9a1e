#!/usr/bin/python3
"""A TCP proxy that delays each direction, so that a connection through it
costs a round trip of a chosen length, as a file server farther away would.

  latency_proxy.py serve LISTEN_PORT TARGET_PORT ROUND_TRIP_MS
      forwards 127.0.0.1:LISTEN_PORT to 127.0.0.1:TARGET_PORT, each byte
      held back ROUND_TRIP_MS / 2 on its way in either direction, the order
      kept; prints "ready" once it listens
"""

import asyncio
import socket
import sys


async def pipe(reader, writer, delay):
    loop = asyncio.get_running_loop()
    queue = asyncio.Queue()

    async def read():
        while data := await reader.read(65536):
            await queue.put((loop.time() + delay, data))
        await queue.put((loop.time() + delay, b""))

    async def write():
        while True:
            due, data = await queue.get()
            await asyncio.sleep(max(0.0, due - loop.time()))
            if not data:
                break
            writer.write(data)
            await writer.drain()
        writer.close()

    await asyncio.gather(read(), write(), return_exceptions=True)


async def serve(listen_port, target_port, round_trip_ms):
    delay = round_trip_ms / 2000.0

    async def connected(client_reader, client_writer):
        client_writer.get_extra_info("socket").setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        server_reader, server_writer = await asyncio.open_connection("127.0.0.1", target_port)
        server_writer.get_extra_info("socket").setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        await asyncio.gather(pipe(client_reader, server_writer, delay), pipe(server_reader, client_writer, delay))

    server = await asyncio.start_server(connected, "127.0.0.1", listen_port)
    print("ready", flush=True)
    async with server:
        await server.serve_forever()


def main(argv):
    if len(argv) == 5 and argv[1] == "serve":
        asyncio.run(serve(int(argv[2]), int(argv[3]), float(argv[4])))
    else:
        sys.stderr.write(__doc__)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
