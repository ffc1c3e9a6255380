#!/usr/bin/env python3
"""Forwards 127.0.0.1:<port it prints> to 127.0.0.1:TARGET, holding every chunk DELAY_MS in either
direction: the round trips of a distant server's control connection, for bench/upload_bench.sh.
usage: delayproxy.py TARGET DELAY_MS"""
import asyncio
import sys


async def pipe(reader, writer, delay):
    loop = asyncio.get_running_loop()
    queue = asyncio.Queue()

    async def pump():
        while True:
            due, data = await queue.get()
            if due > loop.time():
                await asyncio.sleep(due - loop.time())
            if not data:
                writer.close()
                return
            writer.write(data)
            await writer.drain()

    sender = asyncio.create_task(pump())
    while True:
        data = await reader.read(65536)
        await queue.put((loop.time() + delay, data))
        if not data:
            break
    await sender


async def main():
    target, delay = int(sys.argv[1]), float(sys.argv[2]) / 1000

    async def handle(client_reader, client_writer):
        server_reader, server_writer = await asyncio.open_connection("127.0.0.1", target)
        await asyncio.gather(pipe(client_reader, server_writer, delay),
                             pipe(server_reader, client_writer, delay), return_exceptions=True)

    server = await asyncio.start_server(handle, "127.0.0.1", 0)
    print(server.sockets[0].getsockname()[1], flush=True)
    await server.serve_forever()


asyncio.run(main())
